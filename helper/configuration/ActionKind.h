#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "helper/configuration/MediaCommand.h"

namespace quorvel {

// What an assigned action does: one of ten cases, each with its labelled payload.
// The alternatives of `Value` are in declaration order; that order is also the
// position fed to the hash.
struct ActionKind {
    struct OpenApp {
        std::string name;
        std::optional<std::string> bundleIdentifier;
        friend bool operator==(const OpenApp&, const OpenApp&) = default;
    };
    struct OpenURL {
        std::string urlString;
        friend bool operator==(const OpenURL&, const OpenURL&) = default;
    };
    struct SwitchApps {
        friend bool operator==(const SwitchApps&, const SwitchApps&) = default;
    };
    struct ShowAppSwitcher {
        friend bool operator==(const ShowAppSwitcher&, const ShowAppSwitcher&) = default;
    };
    struct NextInputSource {
        friend bool operator==(const NextInputSource&, const NextInputSource&) = default;
    };
    struct ShowSpotlightSearch {
        friend bool operator==(const ShowSpotlightSearch&, const ShowSpotlightSearch&) = default;
    };
    struct Media {
        MediaCommand command = MediaCommand::playPause;
        friend bool operator==(const Media&, const Media&) = default;
    };
    struct Mute {
        friend bool operator==(const Mute&, const Mute&) = default;
    };
    struct TextSnippet {
        std::string text;
        friend bool operator==(const TextSnippet&, const TextSnippet&) = default;
    };
    struct RunShortcut {
        std::string name;
        friend bool operator==(const RunShortcut&, const RunShortcut&) = default;
    };

    using Value = std::variant<OpenApp, OpenURL, SwitchApps, ShowAppSwitcher, NextInputSource,
                               ShowSpotlightSearch, Media, Mute, TextSnippet, RunShortcut>;

    // The case names, exactly as they appear in the JSON form, in declaration order.
    static constexpr std::string_view caseNames[] = {
        "openApp", "openURL", "switchApps", "showAppSwitcher", "nextInputSource",
        "showSpotlightSearch", "media", "mute", "textSnippet", "runShortcut"};

    Value value;

    std::string_view caseName() const { return caseNames[value.index()]; }

    friend bool operator==(const ActionKind&, const ActionKind&) = default;
};

}  // namespace quorvel

template <>
struct std::hash<quorvel::ActionKind> {
    std::size_t operator()(const quorvel::ActionKind& kind) const noexcept;
};
