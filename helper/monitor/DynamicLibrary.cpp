#include "helper/monitor/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace quorvel {

std::optional<DynamicLibrary> DynamicLibrary::open(const std::string& path)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW);
    if (handle == nullptr) return std::nullopt;
    return DynamicLibrary(handle);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        if (handle_ != nullptr) ::dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary()
{
    if (handle_ != nullptr) ::dlclose(handle_);
}

void* DynamicLibrary::symbol(const char* name) const { return ::dlsym(handle_, name); }

}  // namespace quorvel
