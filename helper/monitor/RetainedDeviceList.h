#pragma once

#include <utility>

#include "platform/MultitouchFramework.h"

namespace quorvel {

// The monitor's own reference to a framework device list: taken with the list's
// retain accessor, given up with its release accessor. The list belongs to the
// library, so this must be destroyed before the library is closed.
class RetainedDeviceList {
public:
    RetainedDeviceList(const void* list, const platform::DeviceListAccess& access)
        : list_(access.retain(list)), release_(access.release)
    {
    }
    RetainedDeviceList(RetainedDeviceList&& other) noexcept
        : list_(std::exchange(other.list_, nullptr)), release_(other.release_)
    {
    }
    RetainedDeviceList& operator=(RetainedDeviceList&& other) noexcept
    {
        if (this != &other) {
            giveUp();
            list_ = std::exchange(other.list_, nullptr);
            release_ = other.release_;
        }
        return *this;
    }
    RetainedDeviceList(const RetainedDeviceList&) = delete;
    RetainedDeviceList& operator=(const RetainedDeviceList&) = delete;
    ~RetainedDeviceList() { giveUp(); }

    const void* get() const { return list_; }

private:
    void giveUp()
    {
        if (list_ != nullptr) release_(list_);
        list_ = nullptr;
    }

    const void* list_;
    decltype(platform::DeviceListAccess::release) release_;
};

}  // namespace quorvel
