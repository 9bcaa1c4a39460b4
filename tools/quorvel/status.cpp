// `quorvel status`: what the running agent says about itself on the session bus, for a person
// or a script, and `--follow`: one line per gesture as it happens.
#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "helper/configuration/SharedPaths.h"
#include "helper/monitor/MonitorStatusText.h"
#include "platform/PrintableText.h"
#include "platform/linux/bus/AgentBusInterface.h"
#include "platform/linux/bus/AgentBusProperties.h"
#include "tools/CommandLine.h"
#include "tools/inspection/AgentOnBus.h"
#include "tools/inspection/HelperLock.h"
#include "tools/inspection/UserUnit.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {

namespace {

using inspection::AgentOnBus;
using inspection::LockHolder;
namespace agent_bus = linux_backend::agent_bus;

constexpr int exitNoAgent = 3;

constexpr const char* usage =
    "Usage: quorvel status [--json] [--follow]\n"
    "\n"
    "Asks the running agent on the session bus what it sees: whether it reads the touchpads and\n"
    "which, its last gesture, the configuration in force (or why the default replaced it), and\n"
    "whether actions are paused by the suppress-actions marker. When no agent runs, says whether\n"
    "the user unit quorvel-helper.service is installed and enabled.\n"
    "\n"
    "  --json     the same as one JSON object, for scripts\n"
    "  --follow   print one line per gesture as the agent delivers it, until Ctrl-C:\n"
    "               DATE TIME CORNER PATTERN   (2025-01-05 14:03:22.125 topLeft doubleTap)\n"
    "             with --json one JSON object per line\n"
    "\n"
    "Exit status: 0 the agent answered (--follow: ended by Ctrl-C or SIGTERM); 1 the agent runs but\n"
    "cannot be asked, or it stopped while followed; 2 wrong command line; 3 no agent runs.\n";

std::string localTime(std::int64_t microseconds, bool withMilliseconds)
{
    const std::time_t seconds = static_cast<std::time_t>(microseconds / 1000000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    std::string result = text;
    if (withMilliseconds) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(microseconds / 1000 % 1000));
        result += fraction;
    }
    return result;
}

std::string gestureTitle(const platform::PublishedGesture& gesture)
{
    const auto corner = TrackpadCorner::fromRawValue(gesture.corner);
    if (!corner) return platform::escapedForDisplay(gesture.corner + " " + gesture.pattern);
    return std::string(cornerTitle(*corner)) + " " + (gesture.pattern == "tripleTap" ? "Triple Tap" : "Double Tap");
}

nlohmann::json gestureJson(const platform::PublishedGesture& gesture)
{
    return {{"corner", gesture.corner}, {"pattern", gesture.pattern}, {"time", gesture.deliveredAtMicroseconds}};
}

std::string supportFile(const std::string& configurationFile, const char* name)
{
    return (std::filesystem::path(configurationFile).parent_path() / name).string();
}

void printStatus(const AgentOnBus& agent)
{
    const platform::AgentStatus& status = agent.status;
    const auto row = [](const char* label, const std::string& value) {
        std::printf("%-15s %s\n", label, value.c_str());
    };
    const std::string pid = agent.pid ? " (pid " + std::to_string(*agent.pid) + ")" : "";
    row("Agent:", "running" + pid + (status.isRunning ? ", reading the touchpads" : ", not reading any touchpad"));
    if (status.touchpads.empty()) row("Touchpads:", "none");
    for (std::size_t i = 0; i < status.touchpads.size(); ++i) {
        const auto& touchpad = status.touchpads[i];
        const std::string name = touchpad.name.empty() ? "(unnamed)" : platform::escapedForDisplay(touchpad.name);
        row(i == 0 ? "Touchpads:" : "", name +
                                            (touchpad.node.empty() ? "" : " (" + touchpad.node + ")"));
    }
    row("Status:", platform::escapedForDisplay(status.statusMessage));
    row("Last gesture:", status.lastGesture ? gestureTitle(*status.lastGesture) + " at " +
                                                  localTime(status.lastGesture->deliveredAtMicroseconds, false)
                                            : "none yet");
    if (status.configurationInForce == "file") {
        row("Configuration:", status.configurationFile + ", in force");
    } else if (status.configurationInForce == "defaultForUnusableFile") {
        row("Configuration:", status.configurationProblem);
        row("", "the default is in force, which assigns nothing (quorvel config check)");
    } else {
        row("Configuration:",
            "no file at " + status.configurationFile + ": the default is in force, which assigns nothing");
    }
    const std::string marker = supportFile(status.configurationFile, SharedPaths::suppressActionsFileName);
    row("Actions:", status.actionsSuppressed ? "paused: " + marker + " exists (remove it to resume)"
                                             : "run on corner taps");
}

nlohmann::json statusJson(const AgentOnBus& agent)
{
    const platform::AgentStatus& status = agent.status;
    nlohmann::json touchpads = nlohmann::json::array();
    for (const auto& touchpad : status.touchpads) {
        touchpads.push_back({{"name", touchpad.name}, {"node", touchpad.node}});
    }
    return {
        {"agentRunning", true},
        {"pid", agent.pid ? nlohmann::json(*agent.pid) : nlohmann::json(nullptr)},
        {"isRunning", status.isRunning},
        {"statusMessage", status.statusMessage},
        {"lastGesture", status.lastGesture ? gestureJson(*status.lastGesture) : nlohmann::json(nullptr)},
        {"gestureEventID", status.gestureEventID},
        {"configurationFile", status.configurationFile},
        {"configurationInForce", status.configurationInForce},
        {"configurationProblem", status.configurationProblem},
        {"touchpads", touchpads},
        {"actionsSuppressed", status.actionsSuppressed},
    };
}

void printJson(const nlohmann::json& value)
{
    // Names and paths need not be UTF-8: replaced rather than refused.
    std::printf("%s\n", value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    std::fflush(stdout);
}

// Follows the agent's PropertiesChanged signals; every new gesture event is one line.
class GestureFollower {
public:
    GestureFollower(GDBusConnection* bus, bool json) : bus_(bus), json_(json), loop_(g_main_loop_new(nullptr, FALSE))
    {
        subscription_ = g_dbus_connection_signal_subscribe(
            bus, agent_bus::busName, "org.freedesktop.DBus.Properties", "PropertiesChanged", agent_bus::objectPath,
            agent_bus::interfaceName, G_DBUS_SIGNAL_FLAGS_NONE, changed, this, nullptr);
        closedHandler_ = g_signal_connect(bus, "closed", G_CALLBACK(closed), this);
        watch_ = g_bus_watch_name_on_connection(bus, agent_bus::busName, G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
                                                vanished, this, nullptr);
        for (int signal : {SIGINT, SIGTERM}) signalSources_.push_back(g_unix_signal_add(signal, interrupted, this));
    }
    ~GestureFollower()
    {
        for (guint source : signalSources_) g_source_remove(source);
        g_bus_unwatch_name(watch_);
        g_signal_handler_disconnect(bus_, closedHandler_);
        g_dbus_connection_signal_unsubscribe(bus_, subscription_);
        g_main_loop_unref(loop_);
    }
    GestureFollower(const GestureFollower&) = delete;
    GestureFollower& operator=(const GestureFollower&) = delete;

    int run(const AgentOnBus& agent)
    {
        last_ = agent.status;
        std::fprintf(stderr, "Following the gestures of the Quorvel agent%s; Ctrl-C ends.\n",
                     agent.pid ? (" (pid " + std::to_string(*agent.pid) + ")").c_str() : "");
        if (!ended_) g_main_loop_run(loop_);
        return status_;
    }

private:
    void end(int status, const char* message)
    {
        if (ended_) return;
        ended_ = true;
        status_ = status;
        if (message) std::fprintf(stderr, "%s\n", message);
        g_main_loop_quit(loop_);
    }

    static void changed(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                        gpointer data)
    {
        auto* self = static_cast<GestureFollower*>(data);
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) return;
        const linux_backend::GVariantPtr changes(g_variant_get_child_value(parameters, 1));
        linux_backend::readAgentProperties(changes.get(), self->last_);
        const linux_backend::GVariantPtr event(
            g_variant_lookup_value(changes.get(), "GestureEventID", G_VARIANT_TYPE_STRING));
        if (!event || !self->last_.lastGesture) return;
        const auto& gesture = *self->last_.lastGesture;
        if (self->json_) {
            auto line = gestureJson(gesture);
            line["gestureEventID"] = self->last_.gestureEventID;
            printJson(line);
        } else {
            std::printf("%s %s %s\n", localTime(gesture.deliveredAtMicroseconds, true).c_str(),
                        platform::escapedForDisplay(gesture.corner).c_str(),
                        platform::escapedForDisplay(gesture.pattern).c_str());
            std::fflush(stdout);
        }
    }
    static void vanished(GDBusConnection*, const gchar*, gpointer data)
    {
        static_cast<GestureFollower*>(data)->end(exitFailure, "The Quorvel agent has stopped.");
    }
    static void closed(GDBusConnection*, gboolean, GError*, gpointer data)
    {
        static_cast<GestureFollower*>(data)->end(exitFailure, "The session bus went away.");
    }
    static gboolean interrupted(gpointer data)
    {
        static_cast<GestureFollower*>(data)->end(exitSuccess, nullptr);
        return G_SOURCE_CONTINUE;
    }

    GDBusConnection* bus_;
    bool json_;
    GMainLoop* loop_;
    guint subscription_ = 0;
    gulong closedHandler_ = 0;
    guint watch_ = 0;
    std::vector<guint> signalSources_;
    platform::AgentStatus last_;
    bool ended_ = false;
    int status_ = exitSuccess;
};

// No answer on the bus: an agent may still run (no bus, or its name is someone else's).
int reportUnanswered(const AgentOnBus& agent, GDBusConnection* bus, bool json, bool follow)
{
    const LockHolder lock =
        inspection::lockHolder(SharedPaths::applicationSupportDirectory() / SharedPaths::lockFileName);
    std::FILE* out = follow ? stderr : stdout;
    const bool noAgent = lock.state == LockHolder::State::free ||
                         (lock.state == LockHolder::State::cannotTell && agent.answer == AgentOnBus::Answer::notOnBus);
    if (noAgent) {
        const auto unit = inspection::agentUnitState(bus);
        if (json && !follow) {
            const auto known = [](bool tellable, bool value) { return tellable ? nlohmann::json(value) : nullptr; };
            using Installation = inspection::UnitState::Installation;
            const bool tellable = unit.installation != Installation::cannotTell;
            printJson({{"agentRunning", false},
                       {"unit",
                        {{"name", inspection::agentUnitName},
                         {"installed", known(tellable, unit.installation == Installation::installed)},
                         {"enabled", known(tellable, unit.enabled)},
                         {"masked", known(tellable, unit.installation == Installation::masked)},
                         {"file", unit.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(unit.file.string())}}}});
        } else {
            std::fprintf(out, "No Quorvel agent is running.\n%s.\n", inspection::describeUnitState(unit).c_str());
        }
        return exitNoAgent;
    }
    std::string why = agent.answer == AgentOnBus::Answer::notOnBus
                          ? std::string("it does not answer on the session bus (it started without one, or another "
                                        "program owns ") + agent_bus::busName + ")"
                          : agent.why;
    if (lock.state == LockHolder::State::cannotTell) {
        why = "whether an agent runs cannot be told: " + lock.why + "; and " + why;
    } else {
        why = "a Quorvel agent runs" + (lock.pid ? " (pid " + std::to_string(*lock.pid) + ")" : std::string()) +
              ", but its state cannot be read: " + why;
    }
    if (json && !follow) {
        printJson({{"agentRunning", lock.state == LockHolder::State::held ? nlohmann::json(true) : nullptr},
                   {"pid", lock.pid ? nlohmann::json(*lock.pid) : nlohmann::json(nullptr)},
                   {"error", why}});
    } else {
        std::fprintf(stderr, "quorvel status: %s\n", why.c_str());
    }
    return exitFailure;
}

}  // namespace

int runStatus(const std::vector<std::string>& arguments)
{
    if (const auto answered = answerHelpOrVersion(arguments, "quorvel", usage)) return *answered;
    bool json = false;
    bool follow = false;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else if (argument == "--follow") {
            follow = true;
        } else {
            std::fprintf(stderr, "quorvel status: unknown argument '%s'\n\n%s",
                         platform::escapedForDisplay(argument).c_str(), usage);
            return exitUsage;
        }
    }
    std::string whyNoBus;
    const auto bus = inspection::connectSessionBus(whyNoBus);
    // Subscribed before asking, so that no gesture falls between the answer and the signals.
    std::unique_ptr<GestureFollower> follower;
    if (follow && bus) follower = std::make_unique<GestureFollower>(bus.get(), json);
    const AgentOnBus agent = inspection::askAgent(bus.get(), whyNoBus);
    if (agent.answer != AgentOnBus::Answer::answered) return reportUnanswered(agent, bus.get(), json, follow);
    if (follower) return follower->run(agent);
    if (json) {
        printJson(statusJson(agent));
    } else {
        printStatus(agent);
    }
    return exitSuccess;
}

}  // namespace quorvel::tool
