#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace quorvel::testing {

// A private headless sway with its own runtime directory, stopped with its owner.
// Nothing when it cannot start; `whyNot` then says why.
struct HeadlessCompositor {
    static std::unique_ptr<HeadlessCompositor> start(std::string& whyNot);
    ~HeadlessCompositor();

    // What a client needs in its environment to reach this compositor.
    std::string environment() const
    {
        return "WAYLAND_DISPLAY=" + displayName + " XDG_RUNTIME_DIR=" + directory + "/run";
    }

    pid_t pid = -1;
    std::string directory;    // removed on stop
    std::string displayName;  // the socket's absolute path
};

}  // namespace quorvel::testing
