#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>

#include "platform/AgentStatus.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::inspection {

// A private connection to the session bus, or null (with why in `why`) when there is none:
// a bus is never started for the asking.
linux_backend::GObjectPtr<GDBusConnection> connectSessionBus(std::string& why);

// What the session bus says about the agent.
struct AgentOnBus {
    enum class Answer {
        answered,    // the agent owns its name and gave its state
        notOnBus,    // nobody owns the agent's name
        noBus,       // there is no session bus to ask
        unreadable,  // the name is owned, but its state could not be read
    };
    Answer answer = Answer::noBus;
    platform::AgentStatus status;  // when answered
    std::string owner;             // the owner's unique name
    std::optional<long> pid;       // of the owner, when the bus tells
    std::string why;               // for noBus and unreadable, in a person's words
};

// Asks the owner of the agent's name for all its properties. `bus` may be null (no bus;
// then `whyNoBus` is the reason given).
AgentOnBus askAgent(GDBusConnection* bus, const std::string& whyNoBus = {});

}  // namespace quorvel::inspection
