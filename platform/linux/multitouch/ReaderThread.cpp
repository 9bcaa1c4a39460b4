#include "platform/linux/multitouch/ReaderThread.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace quorvel::linux_backend {

namespace {

platform::UniqueFd checked(int fd, const char* what)
{
    if (fd < 0) throw std::system_error(errno, std::generic_category(), what);
    return platform::UniqueFd(fd);
}

platform::UniqueFd epollWatching(const platform::UniqueFd& wake)
{
    platform::UniqueFd epoll = checked(::epoll_create1(EPOLL_CLOEXEC), "epoll_create1");
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = 0;
    if (::epoll_ctl(epoll.get(), EPOLL_CTL_ADD, wake.get(), &event) < 0) {
        throw std::system_error(errno, std::generic_category(), "epoll_ctl");
    }
    return epoll;
}

}  // namespace

ReaderThread::ReaderThread(std::recursive_mutex& lock)
    : lock_(lock),
      wake_(checked(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd")),
      epoll_(epollWatching(wake_)),
      thread_([this] { run(); })
{
    static_assert(wakeKey == 0);
}

ReaderThread::~ReaderThread()
{
    {
        std::lock_guard guard(lock_);
        requestExit();
    }
    if (onReaderThread()) {
        thread_.detach();
    } else if (thread_.joinable()) {
        thread_.join();
    }
}

void ReaderThread::requestExit()
{
    exitRequested_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_.get(), &one, sizeof one);
}

bool ReaderThread::add(const std::shared_ptr<BridgeDevice>& device)
{
    for (const auto& [key, known] : devices_) {
        if (known == device) return true;
    }
    const std::uint64_t key = nextKey_++;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = key;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, device->fd(), &event) < 0) return false;
    devices_.emplace(key, device);
    device->setActive(true);
    return true;
}

void ReaderThread::remove(const BridgeDevice& device)
{
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        if (it->second.get() != &device) continue;
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, device.fd(), nullptr);
        it->second->setActive(false);
        devices_.erase(it);
        return;
    }
}

std::shared_ptr<BridgeDevice> ReaderThread::find(const void* device) const
{
    for (const auto& [key, known] : devices_) {
        if (known.get() == device) return known;
    }
    return nullptr;
}

void ReaderThread::run()
{
    std::array<epoll_event, 16> ready{};
    for (;;) {
        const int count = ::epoll_wait(epoll_.get(), ready.data(), static_cast<int>(ready.size()), -1);
        if (count < 0 && errno == EINTR) continue;
        std::lock_guard guard(lock_);
        if (count < 0) return;  // the epoll descriptor itself failed; nothing can be read
        for (int i = 0; i < count; ++i) {
            const std::uint64_t key = ready[static_cast<std::size_t>(i)].data.u64;
            if (key == wakeKey) {
                std::uint64_t value = 0;
                [[maybe_unused]] const auto drained = ::read(wake_.get(), &value, sizeof value);
            } else {
                readDevice(key);
            }
        }
        if (exitRequested_) return;
    }
}

void ReaderThread::readDevice(std::uint64_t key)
{
    const auto found = devices_.find(key);
    if (found == devices_.end()) return;  // removed after epoll reported it
    // Held here: a callback that stops this device must not destroy it mid-read.
    const std::shared_ptr<BridgeDevice> device = found->second;
    if (device->readAvailable(eventsPerTurn) == BridgeDevice::ReadResult::gone) remove(*device);
}

}  // namespace quorvel::linux_backend
