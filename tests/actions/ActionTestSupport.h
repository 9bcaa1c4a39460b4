#pragma once

#include <gtest/gtest.h>

#include "helper/actions/ActionDispatcher.h"
#include "tests/fakes/FakeActionServices.h"

namespace quorvel::testing {

using platform::PropertyValue;

inline PropertyValue integer(std::int64_t value) { return PropertyValue{value}; }
inline PropertyValue text(std::string value) { return PropertyValue{std::move(value)}; }

// Every action test starts with a fresh set of fakes and an empty activation history.
class ActionTest : public ::testing::Test {
protected:
    void SetUp() override { ActionDispatcher::resetApplicationTrackingForTesting(); }
    void TearDown() override { ActionDispatcher::resetApplicationTrackingForTesting(); }

    void run(ActionKind::Value kind)
    {
        ActionDispatcher::run(services, AssignedAction{{}, ActionKind{std::move(kind)}, true}, TrackpadGesture{});
    }

    // Stores the search launcher's hot key entry ("64") in the symbolic hot keys.
    void setSpotlightHotKey(PropertyValue enabled, PropertyValue::Array parameters)
    {
        PropertyValue::Dictionary value{{"parameters", PropertyValue{std::move(parameters)}}};
        PropertyValue::Dictionary entry{{"enabled", std::move(enabled)}, {"value", PropertyValue{std::move(value)}}};
        setHotKeys({{"64", PropertyValue{std::move(entry)}}});
    }
    void setHotKeys(PropertyValue::Dictionary table)
    {
        fakes.preferences.values[{"com.apple.symbolichotkeys", "AppleSymbolicHotKeys"}] = PropertyValue{std::move(table)};
    }

    FakeActionServices fakes;
    ActionServices services = fakes.services();
};

inline PostedKeyboardEvent key(platform::VirtualKeyCode code, bool down, std::optional<platform::EventFlags> flags)
{
    return {platform::EventSourceState::hidSystemState, platform::EventTapLocation::hidEventTap, {code, down, flags}};
}

}  // namespace quorvel::testing
