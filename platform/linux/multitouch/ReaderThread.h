#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/linux/multitouch/BridgeDevice.h"
#include "platform/UniqueFd.h"

namespace quorvel::linux_backend {

// The one thread that reads every started device: it waits in epoll on the devices
// and on an eventfd that wakes it to end, and reads and delivers under `lock`, so that
// whoever holds `lock` knows no callback is running. Devices that disappear are
// dropped quietly.
class ReaderThread {
public:
    // Throws std::system_error when the descriptors or the thread cannot be created.
    explicit ReaderThread(std::recursive_mutex& lock);
    // Ends the thread and waits for it; on the reader thread itself it cannot wait and
    // lets the thread end on its own.
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // The caller holds `lock` for all of these.
    bool add(const std::shared_ptr<BridgeDevice>& device);
    void remove(const BridgeDevice& device);
    bool empty() const { return devices_.empty(); }
    std::shared_ptr<BridgeDevice> find(const void* device) const;
    void requestExit();

    bool onReaderThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    static constexpr std::uint64_t wakeKey = 0;
    static constexpr std::size_t eventsPerTurn = 256;  // then the other devices get a turn

    void run();
    void readDevice(std::uint64_t key);

    std::recursive_mutex& lock_;
    platform::UniqueFd wake_;
    platform::UniqueFd epoll_;
    std::map<std::uint64_t, std::shared_ptr<BridgeDevice>> devices_;  // by epoll key
    std::uint64_t nextKey_ = wakeKey + 1;  // never reused, so a stale epoll result misses
    bool exitRequested_ = false;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace quorvel::linux_backend
