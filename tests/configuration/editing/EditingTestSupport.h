#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "helper/configuration/editing/ConfigurationEditor.h"
#include "tests/configuration/TestSupport.h"
#include "tests/fakes/FakeApplicationBundles.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel::testing {

// The machine of the editing tests: two applications, a runnable shortcut "hello", a plain file
// "plain" in the shortcuts folder, and one URL text the parser refuses.
struct EditingMachine {
    TemporaryDirectory directory;
    FakeApplicationBundles bundles;
    FakeWorkspace workspace;
    SequentialUuidSource uuids;
    std::unique_ptr<editing::MachineLookups> lookups;

    EditingMachine()
    {
        bundles.locations = {{"/apps"}, "app", {}};
        bundles.addApplication("/apps/firefox.app", "firefox-esr", "Firefox ESR");
        bundles.addApplication("/apps/files.app", "org.gnome.Nautilus", "Files");
        workspace.applications = {{"firefox-esr", "/apps/firefox.app"}, {"org.gnome.Nautilus", "/apps/files.app"}};
        workspace.unparsableTexts = {"https://exa mple.org"};
        writeFile(directory.path / "shortcuts/hello", "#!/bin/sh\n");
        writeFile(directory.path / "shortcuts/plain", "");
        ::chmod((directory.path / "shortcuts/hello").c_str(), 0700);
        lookups = std::make_unique<editing::MachineLookups>(bundles, workspace, directory.path / "shortcuts");
    }

    // `quorvel config WORDS` on a file holding `before` (none: no file): the outcome, and the file after.
    using Run = std::pair<editing::EditOutcome, std::string>;
    Run run(const std::vector<std::string>& words, const std::optional<std::string>& before = std::nullopt)
    {
        const auto command = editing::parseConfigCommand(words);
        if (const auto* usage = std::get_if<editing::UsageError>(&command))
            return {editing::EditOutcome{2, std::nullopt, false, {}, {}, usage->message}, before.value_or("")};
        const FileReadResult read = before ? FileReadResult(std::vector<std::uint8_t>(before->begin(), before->end()))
                                           : FileReadResult(FileReadFailure{"No such file or directory", true});
        auto outcome = editing::applyEdit(std::get<editing::EditRequest>(command), "/c/configuration.json", read,
                                          *lookups, uuids);
        std::string text = outcome.content.value_or(before.value_or(""));
        return {std::move(outcome), std::move(text)};
    }
};

}  // namespace quorvel::testing
