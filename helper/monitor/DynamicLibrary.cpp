#include "helper/monitor/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace quorvel {

std::optional<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string* whyNot)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW);
    if (handle != nullptr) return DynamicLibrary(handle);
    if (whyNot != nullptr) {
        const char* reason = ::dlerror();
        *whyNot = reason != nullptr ? reason : "unknown reason";
        // The loader names the file first; the caller names it already.
        if (whyNot->starts_with(path + ": ")) whyNot->erase(0, path.size() + 2);
    }
    return std::nullopt;
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
