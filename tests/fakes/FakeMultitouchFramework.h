#pragma once

#include <dlfcn.h>

#include <string>
#include <utility>

#include "platform/MultitouchFramework.h"

namespace quorvel::testing {

// Points the monitor at a framework library of the test's choosing and reads its
// device list through the accessors that library exports.
class FakeMultitouchFramework final : public platform::MultitouchFramework {
public:
    explicit FakeMultitouchFramework(std::string libraryPath = {}) : path(std::move(libraryPath)) {}

    std::string libraryPath() const override { return path; }
    platform::DeviceListAccess deviceListAccess(void* handle) const override
    {
        namespace mt = platform::multitouch;
        platform::DeviceListAccess access;
        const auto find = [handle]<class F>(F& function, const char* name) {
            function = reinterpret_cast<F>(::dlsym(handle, name));
        };
        find(access.count, mt::deviceListGetCountName);
        find(access.valueAtIndex, mt::deviceListGetValueAtIndexName);
        find(access.retain, mt::deviceListRetainName);
        find(access.release, mt::deviceListReleaseName);
        return access;
    }

    std::string path;
};

}  // namespace quorvel::testing
