#pragma once

#include <gtest/gtest.h>

#include "helper/actions/ActionDispatcher.h"
#include "tests/fakes/FakeActionServices.h"

namespace quorvel::testing {

using platform::PropertyValue;
using Kind = ActionKind;
using Strings = std::vector<std::string>;

inline void run(FakeActionServices& fakes, ActionKind::Value kind)
{
    ActionDispatcher::run(fakes.services(), AssignedAction{{}, ActionKind{std::move(kind)}, true}, TrackpadGesture{});
}

// Stores `entry` as the search launcher's symbolic hot key "64".
inline void setSpotlightHotKey(FakeActionServices& fakes, PropertyValue entry)
{
    fakes.preferences.values[{"com.apple.symbolichotkeys", "AppleSymbolicHotKeys"}] =
        PropertyValue{PropertyValue::Dictionary{{"64", std::move(entry)}}};
}
inline PropertyValue hotKey(PropertyValue enabled, PropertyValue::Array parameters)
{
    const PropertyValue value{PropertyValue::Dictionary{{"parameters", {std::move(parameters)}}}};
    return {PropertyValue::Dictionary{{"enabled", std::move(enabled)}, {"value", value}}};
}

inline PostedKeyboardEvent key(platform::VirtualKeyCode code, bool down, std::optional<platform::EventFlags> flags)
{
    return {platform::EventSourceState::hidSystemState, platform::EventTapLocation::hidEventTap, {code, down, flags}};
}

// Fresh fakes and an empty activation history for every test.
struct ActionTest : ::testing::Test {
    void SetUp() override { ActionDispatcher::resetApplicationTrackingForTesting(); }
    void run(ActionKind::Value kind) { testing::run(fakes, std::move(kind)); }

    FakeActionServices fakes;
};

}  // namespace quorvel::testing
