#include "tests/fakes/FakeMultitouchFramework.h"

#include <dlfcn.h>

namespace quorvel::testing {

namespace {

template <class Function>
Function lookUp(void* handle, const char* name)
{
    return reinterpret_cast<Function>(::dlsym(handle, name));
}

}  // namespace

platform::DeviceListAccess FakeMultitouchFramework::deviceListAccess(void* libraryHandle) const
{
    namespace mt = platform::multitouch;
    platform::DeviceListAccess access;
    access.count = lookUp<decltype(access.count)>(libraryHandle, mt::deviceListGetCountName);
    access.valueAtIndex = lookUp<decltype(access.valueAtIndex)>(libraryHandle, mt::deviceListGetValueAtIndexName);
    access.retain = lookUp<decltype(access.retain)>(libraryHandle, mt::deviceListRetainName);
    access.release = lookUp<decltype(access.release)>(libraryHandle, mt::deviceListReleaseName);
    return access;
}

}  // namespace quorvel::testing
