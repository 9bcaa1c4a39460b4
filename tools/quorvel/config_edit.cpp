// `quorvel config edit`: the person edits a copy in their editor; only a copy that passes the
// check replaces the configuration.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "helper/configuration/ConfigurationInForce.h"
#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationProblem.h"
#include "helper/configuration/SharedPaths.h"
#include "helper/configuration/editing/ConfigurationDocument.h"
#include "helper/configuration/editing/ConfigurationFiles.h"
#include "tools/CommandLine.h"
#include "tools/quorvel/ConfigCommands.h"

namespace quorvel::tool::config {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
    return false;
}

// $VISUAL, else $EDITOR, else the system's `editor`, else vi; like git, the variable may hold
// arguments, so a shell reads it.
std::string editorCommand()
{
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return onPath("editor") ? "editor" : "vi";
}

// The editor's exit status, or -1 when it did not end normally.
int runEditor(const std::string& command, const fs::path& file)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string script = command + " \"$1\"";
        ::execl("/bin/sh", "sh", "-c", script.c_str(), "sh", file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::optional<Bytes> contentOf(const FileReadResult& read)
{
    if (const auto* bytes = std::get_if<Bytes>(&read)) return *bytes;
    return std::nullopt;
}

int complain(const std::string& message)
{
    std::fprintf(stderr, "quorvel config: %s\n", message.c_str());
    return exitFailure;
}

bool wantsToEditAgain()
{
    std::fprintf(stderr, "Edit again (e) or discard your changes (d)? [e] ");
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer.empty() || answer[0] == 'e' || answer[0] == 'E';
}

}  // namespace

int editInEditor(const fs::path& file)
{
    const FileReadResult original = readWholeFileOrFailure(file);
    const auto* failure = std::get_if<FileReadFailure>(&original);
    if (failure && !failure->missing) return complain(describeConfigurationProblem(file, *failure));
    const std::optional<Bytes> before = contentOf(original);
    const std::string starting = before ? std::string(before->begin(), before->end())
                                        : editing::ConfigurationDocument::starter().text();

    // The copy lives beside the file, in the user's own folder, under a name the agent ignores.
    if (auto problem = SharedPaths::createPrivateDirectories(file.parent_path())) return complain(*problem);
    std::string copy = (file.parent_path() / "configuration-edit-XXXXXX.json").string();
    const int descriptor = ::mkstemps(copy.data(), 5);
    if (descriptor < 0) return complain("cannot write a copy to edit in " + file.parent_path().string());
    const bool written = ::write(descriptor, starting.data(), starting.size()) == static_cast<ssize_t>(starting.size());
    ::close(descriptor);
    if (!written) {
        ::unlink(copy.c_str());
        return complain("cannot write a copy to edit in " + file.parent_path().string());
    }
    const auto discard = [&copy](const char* why) {
        ::unlink(copy.c_str());
        std::fprintf(stderr, "%s; the configuration is unchanged.\n", why);
        return exitFailure;
    };

    Bytes edited;
    for (;;) {
        const int status = runEditor(editorCommand(), copy);
        if (status != 0) return discard(("The editor (" + editorCommand() + ") failed").c_str());
        const FileReadResult read = readWholeFileOrFailure(copy);
        std::string problem;
        if (const auto* readFailure = std::get_if<FileReadFailure>(&read)) {
            problem = describeConfigurationProblem(copy, *readFailure);
        } else {
            const auto& bytes = std::get<Bytes>(read);
            const auto decoded = decodeConfiguration(std::span(bytes));
            if (decoded) {
                edited = bytes;
                break;
            }
            problem = describeConfigurationProblem(copy, decoded.error(), bytes);
        }
        std::fprintf(stderr, "%s\n", problem.c_str());
        if (!wantsToEditAgain()) return discard("Discarded");
    }
    if (before == edited) {
        ::unlink(copy.c_str());
        std::printf("No change.\n");
        return exitSuccess;
    }

    auto lock = editing::EditLock::acquire(file.parent_path());
    if (auto* problem = std::get_if<std::string>(&lock)) return discard(problem->c_str());
    if (contentOf(readWholeFileOrFailure(file)) != before) {
        std::fprintf(stderr,
                     "quorvel config: the configuration changed while you edited it; it is left as it is, and "
                     "your version is kept in %s\n",
                     copy.c_str());
        return exitFailure;
    }
    const std::string_view content(reinterpret_cast<const char*>(edited.data()), edited.size());
    if (auto problem = editing::writeFileAtomically(file, content)) return discard(problem->c_str());
    ::unlink(copy.c_str());
    AgentMachine machine;
    printWarnings(file, machine);
    std::printf("Saved %s\n", file.c_str());
    return exitSuccess;
}

}  // namespace quorvel::tool::config
