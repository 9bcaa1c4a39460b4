#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::platform {

// One keyboard input source (a layout or input method) as the desktop lists it.
struct InputSource {
    std::string reference;                 // opaque to the caller; what `select` takes
    std::optional<std::string> identifier;
    std::optional<bool> isEnabled;
    std::optional<bool> isSelectCapable;

    friend bool operator==(const InputSource&, const InputSource&) = default;
};

class KeyboardInputSources {
public:
    virtual ~KeyboardInputSources() = default;
    // The keyboard-category sources; nothing when the list cannot be had.
    virtual std::optional<std::vector<InputSource>> keyboardInputSourceList(bool includeAllInstalled) = 0;
    virtual std::optional<InputSource> currentKeyboardInputSource() = 0;
    // Asks the desktop to select the source; the result is not reported.
    virtual void select(const InputSource& source) = 0;
};

}  // namespace quorvel::platform
