#pragma once

#include <gio/gio.h>
#include <glib.h>

#include <memory>

namespace quorvel::linux_backend {

// Owning pointers for the GLib and GIO values this backend holds.
struct GFreeDeleter {
    void operator()(void* pointer) const { g_free(pointer); }
};
struct GStrvDeleter {
    void operator()(char** strings) const { g_strfreev(strings); }
};
struct GKeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_unref(file); }
};
struct GObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
struct GVariantDeleter {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
struct GUriDeleter {
    void operator()(GUri* uri) const { g_uri_unref(uri); }
};

using GCharPointer = std::unique_ptr<char, GFreeDeleter>;
using GStrvPointer = std::unique_ptr<char*, GStrvDeleter>;
using GKeyFilePointer = std::unique_ptr<GKeyFile, GKeyFileDeleter>;
template <typename T>
using GObjectPointer = std::unique_ptr<T, GObjectDeleter>;
using GVariantPointer = std::unique_ptr<GVariant, GVariantDeleter>;
using GUriPointer = std::unique_ptr<GUri, GUriDeleter>;

}  // namespace quorvel::linux_backend
