// `quorvel config`: shows, checks and edits the agent's configuration file.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationProblem.h"
#include "helper/configuration/editing/ConfigRequest.h"
#include "helper/configuration/editing/ConfigurationDocument.h"
#include "helper/configuration/editing/ConfigurationEditor.h"
#include "helper/configuration/editing/ConfigurationFiles.h"
#include "helper/configuration/editing/ConfigurationReport.h"
#include "platform/linux/runtime/RandomUuidSource.h"
#include "tools/CommandLine.h"
#include "tools/quorvel/Command.h"
#include "tools/quorvel/ConfigCommands.h"

namespace quorvel::tool {

namespace {

using namespace editing;
using config::agentConfigurationFile;

int fail(const std::string& message)
{
    std::fprintf(stderr, "quorvel config: %s\n", message.c_str());
    return exitFailure;
}

int show(const Show& request)
{
    const auto file = agentConfigurationFile();
    const FileReadResult read = readWholeFileOrFailure(file);
    if (!request.json) {
        std::fputs(configurationReport(file, read).c_str(), stdout);
        return exitSuccess;
    }
    const ConfigurationReading reading = readConfiguration(file, read);
    if (reading.inForce.source == ConfigurationInForce::Source::defaultWithoutFile)
        std::fprintf(stderr, "No configuration file at %s: the default configuration applies.\n", file.c_str());
    if (reading.inForce.source == ConfigurationInForce::Source::defaultForUnusableFile)
        std::fprintf(stderr, "%s\nThe file cannot be used, so the default configuration applies.\n",
                     reading.inForce.problem.c_str());
    const auto text = encodeConfiguration(reading.configuration);
    if (!text) return fail("the configuration in force cannot be written as JSON");
    std::fputs(text->c_str(), stdout);
    return exitSuccess;
}

int check(const Check& request)
{
    const std::filesystem::path file = request.file ? std::filesystem::path(*request.file) : agentConfigurationFile();
    const FileReadResult read = readWholeFileOrFailure(file);
    const auto* failure = std::get_if<FileReadFailure>(&read);
    if (failure && failure->missing && !request.file) {
        std::printf("No configuration file at %s: the default configuration (no actions) applies.\n", file.c_str());
        return exitSuccess;
    }
    const ConfigurationReading reading = readConfiguration(file, read);
    if (reading.inForce.source != ConfigurationInForce::Source::file) {
        const std::string problem = failure ? describeConfigurationProblem(file, *failure) : reading.inForce.problem;
        std::fprintf(stderr, "%s\nThe agent would run with the default configuration (no actions).\n", problem.c_str());
        return exitFailure;
    }
    config::AgentMachine machine;
    config::printWarnings(file, machine);
    std::printf("%s: the agent can use this file.\n", file.c_str());
    return exitSuccess;
}

int init()
{
    const auto file = agentConfigurationFile();
    auto lock = EditLock::acquire(file.parent_path());
    if (auto* problem = std::get_if<std::string>(&lock)) return fail(*problem);
    if (auto problem = writeFileAtomically(file, ConfigurationDocument::starter().text(), /*mustNotExist=*/true)) {
        return fail(*problem + "; init never replaces a configuration (see `quorvel config edit`)");
    }
    std::printf("Created %s: corner taps on, default tuning, no actions.\n", file.c_str());
    return exitSuccess;
}

// A snippet's text from its file or standard input; one final line break is dropped, as a
// shell's $(...) drops it.
std::optional<std::string> snippetText(SetAction& set)
{
    if (set.textSource == TextSource::argument) return set.argument;
    std::string text;
    if (set.textSource == TextSource::standardInput) {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        const auto bytes = readWholeFileOrFailure(set.argument);
        if (const auto* failure = std::get_if<FileReadFailure>(&bytes)) {
            fail("cannot read " + set.argument + ": " + failure->reason);
            return std::nullopt;
        }
        const auto& content = std::get<std::vector<std::uint8_t>>(bytes);
        text.assign(content.begin(), content.end());
    }
    if (text.ends_with("\r\n")) text.resize(text.size() - 2);
    else if (text.ends_with('\n')) text.pop_back();
    return text;
}

int edit(EditRequest request)
{
    if (auto* set = std::get_if<SetAction>(&request.edit)) {
        const auto text = snippetText(*set);
        if (!text) return exitFailure;
        set->argument = *text;
        set->textSource = TextSource::argument;
    }
    const auto file = agentConfigurationFile();
    config::AgentMachine machine;
    linux_backend::RandomUuidSource uuids;
    // Read, change and write under the lock: a second edit waits and then sees this one.
    auto lock = EditLock::acquire(file.parent_path());
    if (auto* problem = std::get_if<std::string>(&lock)) return fail(*problem);
    const EditOutcome outcome = applyEdit(request, file, readWholeFileOrFailure(file), machine.lookups(), uuids);
    for (const auto& warning : outcome.warnings) std::fprintf(stderr, "warning: %s\n", warning.c_str());
    if (outcome.status != exitSuccess) {
        std::fprintf(stderr, "quorvel config: %s\n", outcome.error.c_str());
        return outcome.status;
    }
    if (outcome.replacesUnusableFile) {
        auto copy = keepCopyBeside(file);
        if (auto* problem = std::get_if<std::string>(&copy)) return fail(*problem + "; nothing was changed");
        std::printf("Kept a copy of the unusable file: %s\n", std::get<std::filesystem::path>(copy).c_str());
    }
    if (outcome.content) {
        if (auto problem = writeFileAtomically(file, *outcome.content)) return fail(*problem);
    }
    for (const auto& message : outcome.messages) std::printf("%s\n", message.c_str());
    return exitSuccess;
}

}  // namespace

int runConfig(const std::vector<std::string>& arguments)
{
    const ConfigCommand command = parseConfigCommand(arguments);
    if (const auto* usage = std::get_if<UsageError>(&command)) {
        std::fprintf(stderr, "quorvel config: %s\n", usage->message.c_str());
        config::printUsage(usage->subCommand, stderr);
        return exitUsage;
    }
    if (const auto* help = std::get_if<Help>(&command)) {
        config::printHelp(help->subCommand, stdout);
        return exitSuccess;
    }
    if (const auto* request = std::get_if<Show>(&command)) return show(*request);
    if (const auto* request = std::get_if<Check>(&command)) return check(*request);
    if (std::holds_alternative<ShowPath>(command)) {
        std::printf("%s\n", agentConfigurationFile().c_str());
        return exitSuccess;
    }
    if (std::holds_alternative<Init>(command)) return init();
    if (std::holds_alternative<EditInEditor>(command)) return config::editInEditor(agentConfigurationFile());
    return edit(std::get<EditRequest>(command));
}

}  // namespace quorvel::tool
