#pragma once

#include <string>
#include <utility>

#include "platform/MultitouchFramework.h"

namespace quorvel::testing {

// Points the monitor at a framework library of the test's choosing and reads its
// device list through the accessors that library exports.
class FakeMultitouchFramework final : public platform::MultitouchFramework {
public:
    explicit FakeMultitouchFramework(std::string path = {}) : path_(std::move(path)) {}

    void setLibraryPath(std::string path) { path_ = std::move(path); }
    std::string libraryPath() const override { return path_; }
    platform::DeviceListAccess deviceListAccess(void* libraryHandle) const override;

private:
    std::string path_;
};

}  // namespace quorvel::testing
