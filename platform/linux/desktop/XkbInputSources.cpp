#include "platform/linux/desktop/XkbInputSources.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <charconv>

namespace quorvel::linux_backend {
namespace {

constexpr std::string_view referencePrefix = "xkb-group:";

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

struct KeyboardDescription {
    explicit KeyboardDescription(Display* display) : description(XkbGetMap(display, 0, XkbUseCoreKbd)) {}
    ~KeyboardDescription()
    {
        if (description != nullptr) {
            XkbFreeKeyboard(description, 0, True);
        }
    }
    KeyboardDescription(const KeyboardDescription&) = delete;
    KeyboardDescription& operator=(const KeyboardDescription&) = delete;
    XkbDescPtr description;
};

}  // namespace

std::unique_ptr<XkbInputSources> XkbInputSources::connect(const std::string& displayName)
{
    std::unique_ptr<XConnection> connection = XConnection::open(displayName);
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!connection || !XkbQueryExtension(connection->display(), &opcode, &event, &error, &major, &minor)) {
        return nullptr;
    }
    return std::unique_ptr<XkbInputSources>(new XkbInputSources(std::move(connection)));
}

std::vector<platform::InputSource> XkbInputSources::groups()
{
    Display* display = connection_->display();
    KeyboardDescription keyboard(display);
    if (keyboard.description == nullptr || XkbGetControls(display, XkbGroupsWrapMask, keyboard.description) != Success ||
        XkbGetNames(display, XkbGroupNamesMask, keyboard.description) != Success) {
        return {};
    }
    const int count = keyboard.description->ctrls->num_groups;

    // "rules\0model\0layouts\0variants\0options": layouts and variants per group.
    std::vector<std::string> layouts;
    std::vector<std::string> variants;
    if (const auto rules = connection_->textProperty(connection_->root(), connection_->atom("_XKB_RULES_NAMES"))) {
        const std::vector<std::string> fields = split(*rules, '\0');
        if (fields.size() > 3) {
            layouts = split(fields[2], ',');
            variants = split(fields[3], ',');
        }
    }

    std::vector<platform::InputSource> sources;
    for (int group = 0; group < count; ++group) {
        const auto index = static_cast<std::size_t>(group);
        std::optional<std::string> identifier;
        if (index < layouts.size() && !layouts[index].empty()) {
            const std::string variant = index < variants.size() ? variants[index] : std::string();
            identifier = "xkb:" + layouts[index] + (variant.empty() ? "" : "+" + variant);
        } else if (auto name = connection_->atomName(keyboard.description->names->groups[group])) {
            identifier = "xkb-name:" + *name;
        }
        sources.push_back({std::string(referencePrefix) + std::to_string(group), identifier, true, true});
    }
    return sources;
}

std::optional<std::vector<platform::InputSource>> XkbInputSources::keyboardInputSourceList(bool)
{
    std::vector<platform::InputSource> sources = groups();
    if (sources.empty()) {
        return std::nullopt;
    }
    return sources;
}

std::optional<platform::InputSource> XkbInputSources::currentKeyboardInputSource()
{
    XkbStateRec state{};
    if (XkbGetState(connection_->display(), XkbUseCoreKbd, &state) != Success) {
        return std::nullopt;
    }
    std::vector<platform::InputSource> sources = groups();
    const auto group = static_cast<std::size_t>(state.group);
    return group < sources.size() ? std::optional(sources[group]) : std::nullopt;
}

void XkbInputSources::select(const platform::InputSource& source)
{
    if (!source.reference.starts_with(referencePrefix)) {
        return;
    }
    const std::string_view number = std::string_view(source.reference).substr(referencePrefix.size());
    unsigned group = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), group);
    if (error != std::errc() || end != number.data() + number.size() || group >= groups().size()) {
        return;
    }
    XkbLockGroup(connection_->display(), XkbUseCoreKbd, group);
    XFlush(connection_->display());
}

}  // namespace quorvel::linux_backend
