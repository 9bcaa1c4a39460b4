#pragma once

// Fakes of the services actions use, each recording what it was asked; the larger ones have files of
// their own.

#include <map>
#include <vector>

#include "helper/actions/ActionServices.h"
#include "tests/fakes/FakeApplicationBundles.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakePasteboard.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/fakes/FakeWorkspace.h"

namespace quorvel::testing {

// Trusted unless a test says otherwise; records every prompt request.
class FakeAccessibility final : public platform::Accessibility {
public:
    bool trusted = true;
    std::vector<std::map<std::string, bool>> promptRequests;

    bool isProcessTrusted() override { return trusted; }
    bool isProcessTrustedWithOptions(const std::map<std::string, bool>& options) override
    {
        promptRequests.push_back(options);
        return trusted;
    }
};

class FakeAlertSound final : public platform::AlertSound {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

struct PostedKeyboardEvent {
    platform::EventSourceState source;
    platform::EventTapLocation tap;
    platform::KeyboardEvent event;
    friend bool operator==(const PostedKeyboardEvent&, const PostedKeyboardEvent&) = default;
};

struct PostedSystemDefinedEvent {
    platform::EventTapLocation tap;
    platform::SystemDefinedEvent event;
    friend bool operator==(const PostedSystemDefinedEvent&, const PostedSystemDefinedEvent&) = default;
};

// Records every event posted.
class FakeEventTap final : public platform::EventTap {
public:
    std::vector<PostedKeyboardEvent> keyboardEvents;
    std::vector<PostedSystemDefinedEvent> systemDefinedEvents;

    bool postKeyboardEvent(platform::EventSourceState source, platform::EventTapLocation tap,
                           const platform::KeyboardEvent& event) override
    {
        keyboardEvents.push_back({source, tap, event});
        return true;
    }
    bool postSystemDefinedEvent(platform::EventTapLocation tap, const platform::SystemDefinedEvent& event) override
    {
        systemDefinedEvents.push_back({tap, event});
        return true;
    }
    bool nothingPosted() const { return keyboardEvents.empty() && systemDefinedEvents.empty(); }
};

class FakeKeyboardInputSources final : public platform::KeyboardInputSources {
public:
    std::optional<std::vector<platform::InputSource>> sources = std::vector<platform::InputSource>{};
    std::optional<platform::InputSource> current;
    std::vector<bool> listRequests;  // includeAllInstalled of each request
    std::vector<platform::InputSource> selected;

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override
    {
        listRequests.push_back(includeAllInstalled);
        return sources;
    }
    std::optional<platform::InputSource> currentKeyboardInputSource() override { return current; }
    void select(const platform::InputSource& source) override { selected.push_back(source); }

    // A source that is enabled and selectable.
    static platform::InputSource selectable(const std::string& id) { return {id + "-ref", id, true, true}; }
};

// Preferences by (application domain, key).
class FakePreferenceReader final : public platform::PreferenceReader {
public:
    std::map<std::pair<std::string, std::string>, platform::PropertyValue> values;

    std::optional<platform::PropertyValue> copyAppValue(const std::string& key, const std::string& applicationID) override
    {
        const auto found = values.find({applicationID, key});
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
};

// One fake of every service actions use, on one virtual-time main queue.
struct FakeActionServices {
    FakeWorkspace workspace;
    FakeEventTap eventTap;
    FakeAccessibility accessibility;
    FakePasteboard pasteboard;
    FakeKeyboardInputSources inputSources;
    FakePreferenceReader preferences;
    FakeProcessLauncher processLauncher;
    FakeAlertSound alertSound;
    FakeApplicationBundles applicationBundles;
    FakeMainQueue mainQueue;
    CapturingLog log;

    ActionServices services()
    {
        return {workspace,   eventTap,        accessibility, pasteboard,         inputSources,
                preferences, processLauncher, alertSound,    applicationBundles, mainQueue, log};
    }
};

}  // namespace quorvel::testing
