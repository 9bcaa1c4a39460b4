#pragma once

#include <string>
#include <variant>
#include <vector>

#include "helper/configuration/ActionKind.h"
#include "helper/configuration/editing/MachineLookups.h"

namespace quorvel::editing {

struct ChosenApplication {
    ActionKind::OpenApp action;      // name and identifier as the catalog records them
    std::vector<std::string> notes;  // e.g. that several applications share the name
};

// The installed application `app` names: a desktop-file ID (".desktop" may follow), else a
// display name, exactly or, failing that, in any letter case. Otherwise why not, with the
// closest installed names.
std::variant<ChosenApplication, std::string> chooseApplication(const std::string& app, MachineLookups& lookups);

}  // namespace quorvel::editing
