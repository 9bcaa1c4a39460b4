#pragma once

#include <gio/gio.h>

#include <string_view>

#include "platform/AgentStatus.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {

// The agent's status as the properties of its bus interface, and back.

// The value of one property (floating), or null for a name the interface does not have.
GVariant* agentPropertyValue(const platform::AgentStatus& status, std::string_view name);

// The properties whose values differ between `before` and `now`, as an a{sv} dictionary;
// null when none does.
GVariantPtr changedAgentProperties(const platform::AgentStatus& before, const platform::AgentStatus& now);

// Takes into `status` the properties an a{sv} dictionary holds (a GetAll reply, the changes
// of PropertiesChanged); unknown names and values of the wrong type are passed over.
void readAgentProperties(GVariant* dictionary, platform::AgentStatus& status);

}  // namespace quorvel::linux_backend
