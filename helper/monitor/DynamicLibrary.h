#pragma once

#include <optional>
#include <string>

namespace quorvel {

// An open dynamic library (dlopen with RTLD_NOW); closed with dlclose when destroyed.
class DynamicLibrary {
public:
    // Absent when the library cannot be loaded; `whyNot`, when given, then receives the
    // loader's reason.
    static std::optional<DynamicLibrary> open(const std::string& path, std::string* whyNot = nullptr);

    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary();

    void* handle() const { return handle_; }
    // The address of an exported name, or null.
    void* symbol(const char* name) const;

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

}  // namespace quorvel
