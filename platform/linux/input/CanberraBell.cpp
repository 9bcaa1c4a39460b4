#include "platform/linux/input/CanberraBell.h"

#include <canberra.h>
#include <dlfcn.h>

namespace quorvel::linux_backend {

namespace {

// libasound's error handler type: (file, line, function, error, format, ...).
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// libcanberra's ALSA backend lets libasound print every failed attempt ("ALSA lib pcm.c:...
// Unknown PCM default") to standard error, which is the agent's journal. A bell that cannot
// ring is not news there: give the process's libasound, when there is one, a handler that
// drops them. The library is looked up rather than linked, and stays loaded with the handler.
void silenceAlsaErrors()
{
    void* alsa = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (alsa == nullptr) return;
    // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
    const auto setHandler =
        reinterpret_cast<int (*)(AlsaErrorHandler)>(::dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) setHandler(ignoreAlsaError);
}

}  // namespace

void CanberraBell::ContextDestroy::operator()(ca_context* context) const
{
    ca_context_destroy(context);
}

bool CanberraBell::ring()
{
    if (!context_) {
        silenceAlsaErrors();
        ca_context* raw = nullptr;
        if (ca_context_create(&raw) != CA_SUCCESS) return false;
        context_.reset(raw);
        ca_context_change_props(raw, CA_PROP_APPLICATION_NAME, "Quorvel", nullptr);
    }
    return ca_context_play(context_.get(), 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                           "Touchpad corner action failed", nullptr) == CA_SUCCESS;
}

}  // namespace quorvel::linux_backend
