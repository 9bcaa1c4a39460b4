#include "platform/linux/runtime/RandomUuidSource.h"

#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {

platform::Uuid RandomUuidSource::make()
{
    const GCharPtr text(g_uuid_string_random());
    // GLib always produces the 36-character form, which the parser accepts.
    return platform::Uuid::fromString(text.get()).value();
}

}  // namespace quorvel::linux_backend
