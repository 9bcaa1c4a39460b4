#include "platform/linux/multitouch/BridgeRuntime.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace quorvel::linux_backend {

BridgeRuntime::BridgeRuntime(TouchpadScanner scanner) : scanner_(std::move(scanner)) {}

BridgeRuntime::~BridgeRuntime()
{
    std::unique_ptr<ReaderThread> reader;
    std::vector<std::unique_ptr<ReaderThread>> retired;
    {
        std::lock_guard guard(lock_);
        reader = std::move(reader_);
        retired = std::move(retired_);
    }
    // Joined without the lock: the thread takes it to finish its turn.
    reader.reset();
    retired.clear();
}

const void* BridgeRuntime::createList()
{
    TouchpadScan scan = scanner_();
    std::lock_guard guard(lock_);
    unreadableTouchpads_ = scan.unreadableTouchpads;
    protocolAOnlyTouchpads_ = scan.protocolAOnlyTouchpads;
    auto list = std::make_unique<DeviceList>();
    list->devices = std::move(scan.devices);
    list->references = 1;
    DeviceList* created = list.get();
    lists_.push_back(std::move(list));
    if (newestList_ != nullptr) dropReference(newestList_);
    newestList_ = created;
    return created;
}

long BridgeRuntime::listCount(const void* list) const
{
    std::lock_guard guard(lock_);
    const DeviceList* found = findList(list);
    return found == nullptr ? 0 : static_cast<long>(found->devices.size());
}

const void* BridgeRuntime::listValue(const void* list, long index) const
{
    std::lock_guard guard(lock_);
    const DeviceList* found = findList(list);
    if (found == nullptr || index < 0 || static_cast<std::size_t>(index) >= found->devices.size()) return nullptr;
    return found->devices[static_cast<std::size_t>(index)].get();
}

const void* BridgeRuntime::retainList(const void* list)
{
    std::lock_guard guard(lock_);
    DeviceList* found = findList(list);
    if (found == nullptr) return nullptr;
    ++found->references;
    return found;
}

void BridgeRuntime::releaseList(const void* list)
{
    std::lock_guard guard(lock_);
    if (DeviceList* found = findList(list)) dropReference(found);
}

void BridgeRuntime::registerCallback(const void* device, MTContactFrameCallback callback)
{
    std::lock_guard guard(lock_);
    if (const auto found = findDevice(device)) found->setCallback(callback);
}

void BridgeRuntime::start(const void* device)
{
    std::vector<std::unique_ptr<ReaderThread>> retired;
    {
        std::lock_guard guard(lock_);
        const auto found = findDevice(device);
        if (!found) return;
        if (!reader_) reader_ = std::make_unique<ReaderThread>(lock_);
        if (!reader_->add(found)) std::fprintf(stderr, "quorvel-multitouch: device %d cannot be watched\n", found->id());
        // Threads that ended on their own are joined here, except the calling one (a
        // callback that stopped its device and starts one again).
        for (auto& old : retired_) {
            if (!old->onReaderThread()) retired.push_back(std::move(old));
        }
        std::erase(retired_, nullptr);
    }
    retired.clear();  // threads that ended on their own; joined without the lock
}

void BridgeRuntime::stop(const void* device)
{
    std::unique_ptr<ReaderThread> finished;
    {
        std::lock_guard guard(lock_);
        if (!reader_) return;
        if (const auto found = reader_->find(device)) reader_->remove(*found);
        if (!reader_->empty()) return;
        if (reader_->onReaderThread()) {
            // Stopped from its own callback: the thread cannot wait for itself; it ends
            // after this turn and is joined later.
            reader_->requestExit();
            retired_.push_back(std::move(reader_));
        } else {
            finished = std::move(reader_);
        }
    }
    finished.reset();  // joined without the lock: the thread takes it to finish its turn
}

std::optional<platform::TouchpadIdentity> BridgeRuntime::identity(const void* device) const
{
    std::lock_guard guard(lock_);
    const auto found = findDevice(device);
    if (!found) return std::nullopt;
    return platform::TouchpadIdentity{found->name(), found->node()};
}

int BridgeRuntime::unreadableTouchpadCount() const
{
    std::lock_guard guard(lock_);
    return unreadableTouchpads_;
}

int BridgeRuntime::protocolAOnlyTouchpadCount() const
{
    std::lock_guard guard(lock_);
    return protocolAOnlyTouchpads_;
}

bool BridgeRuntime::readerRunning() const
{
    std::lock_guard guard(lock_);
    return reader_ != nullptr;
}

BridgeRuntime::DeviceList* BridgeRuntime::findList(const void* list) const
{
    const auto found = std::find_if(lists_.begin(), lists_.end(),
                                    [list](const std::unique_ptr<DeviceList>& known) { return known.get() == list; });
    return found == lists_.end() ? nullptr : found->get();
}

std::shared_ptr<BridgeDevice> BridgeRuntime::findDevice(const void* device) const
{
    if (device == nullptr) return nullptr;
    if (reader_) {
        if (auto started = reader_->find(device)) return started;
    }
    for (const auto& list : lists_) {
        for (const auto& known : list->devices) {
            if (known.get() == device) return known;
        }
    }
    return nullptr;
}

void BridgeRuntime::dropReference(DeviceList* list)
{
    if (--list->references > 0) return;
    if (newestList_ == list) newestList_ = nullptr;
    // A started device lives on in the reader until it is stopped.
    std::erase_if(lists_, [list](const std::unique_ptr<DeviceList>& known) { return known.get() == list; });
}

}  // namespace quorvel::linux_backend
