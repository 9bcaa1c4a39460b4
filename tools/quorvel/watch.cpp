// `quorvel watch`: binds the touchpads exactly as the agent does and prints, live, every
// touch the recogniser tracks and every gesture the agent would act on, without acting.
// It is the way to tune the corner zone and the timings on a real touchpad.
#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QuorvelCore.h>

#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/SharedPaths.h"
#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/DynamicLibrary.h"
#include "helper/monitor/MonitorStatusText.h"
#include "helper/monitor/TrackpadMonitorService.h"
#include "platform/linux/LinuxMultitouchFramework.h"
#include "platform/linux/multitouch/QuorvelMultitouch.h"
#include "platform/linux/runtime/GLibMainQueue.h"
#include "platform/linux/runtime/RandomUuidSource.h"
#include "platform/linux/runtime/SystemWallClock.h"
#include "platform/linux/runtime/system_events/LinuxSystemEventObservers.h"
#include "platform/PrintableText.h"
#include "tools/CommandLine.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {

namespace {

constexpr const char* usage =
    "Usage: quorvel watch [--config FILE]\n"
    "\n"
    "Binds the touchpads the way the agent does and prints what the agent's tap recogniser\n"
    "sees, until interrupted (Ctrl-C):\n"
    "\n"
    "  touch began SECONDS id N at (X, Y) corner CORNER contacts VALID/ALL\n"
    "  touch sample SECONDS id N at (X, Y) corner CORNER contacts VALID/ALL\n"
    "  touch ended SECONDS id N duration SECONDS travel DISTANCE\n"
    "  gesture CORNER PATTERN SECONDS\n"
    "\n"
    "Only a touch that lands in a corner zone is tracked; samples come at most every 0.2 s.\n"
    "Seconds count from the first frame, positions run from 0 to 1 with y = 1 at the top\n"
    "edge, travel is the farthest distance from the starting point. An ended touch that was\n"
    "too long or moved too far to be a tap says so. Gestures come out as the agent delivers\n"
    "them: a double tap waits for a possible third tap only in a corner with an enabled\n"
    "triple-tap action. Nothing is performed.\n"
    "\n"
    "  --config FILE  use the tuning and triple-tap actions of FILE instead of the agent's\n"
    "                 configuration file\n"
    "\n"
    "Exits 0 when interrupted, 1 when the touchpads cannot be watched, 2 for a wrong command\n"
    "line.\n";

struct Options {
    std::optional<std::string> configuration;
};

std::optional<Options> parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--config" && i + 1 < arguments.size()) {
            options.configuration = arguments[++i];
        } else {
            std::fprintf(stderr, "quorvel watch: %s '%s'\n\n%s",
                         arguments[i] == "--config" ? "a file must follow" : "unknown argument",
                         platform::escapedForDisplay(arguments[i]).c_str(), usage);
            return std::nullopt;
        }
    }
    return options;
}

std::string failureReason(const ConfigurationStore::LoadResult& result)
{
    if (const auto* failure = std::get_if<FileReadFailure>(&result)) return "cannot read the file: " + failure->reason;
    const auto& error = std::get<DecodingError>(result);
    return "not a valid configuration: " + (error.path.empty() ? std::string() : error.path + ": ") + error.reason;
}

// The configuration the watch runs with: the given file, which must be usable, or the
// agent's file, with the agent's fallback to the default configuration.
std::optional<AppConfiguration> loadConfiguration(const Options& options)
{
    const std::filesystem::path file =
        options.configuration ? std::filesystem::path(*options.configuration)
                              : SharedPaths::applicationSupportDirectory() / SharedPaths::configurationFileName;
    const ConfigurationStore::LoadResult loaded = ConfigurationStore::load(file);
    if (const auto* configuration = std::get_if<AppConfiguration>(&loaded)) {
        std::printf("Configuration: %s\n", file.c_str());
        return *configuration;
    }
    if (options.configuration) {
        std::fprintf(stderr, "quorvel watch: %s: %s\n", file.c_str(), failureReason(loaded).c_str());
        return std::nullopt;
    }
    std::printf("Configuration: the default (%s: %s), as the agent would use\n", file.c_str(),
                failureReason(loaded).c_str());
    return AppConfiguration::defaultConfiguration();
}

RecognizerConfiguration tuningOf(const AppConfiguration& configuration)
{
    const RecognizerSettings& r = configuration.recognizer;
    return RecognizerConfiguration{r.cornerZone, r.doubleTapWindow, r.tripleTapWindow, r.maximumTapDuration,
                                   r.maximumTapTravel};
}

// The runner's rule: a held double tap waits only where a triple tap would run something.
bool waitsForTripleTap(const AppConfiguration& configuration, TrackpadCorner corner)
{
    const auto tripleTap = configuration.assignment(corner).tripleTap;
    return tripleTap && tripleTap->isEnabled;
}

void printSettings(const AppConfiguration& configuration)
{
    const RecognizerConfiguration tuning = tuningOf(configuration);
    std::printf("Tuning: cornerZone %.3f doubleTapWindow %.3f tripleTapWindow %.3f maximumTapDuration %.3f "
                "maximumTapTravel %.3f\n",
                tuning.cornerZone, tuning.doubleTapWindow, tuning.tripleTapWindow, tuning.maximumTapDuration,
                tuning.maximumTapTravel);
    std::string waiting;
    for (TrackpadCorner corner : TrackpadCorner::allCases()) {
        if (waitsForTripleTap(configuration, corner)) waiting += " " + corner.id();
    }
    std::printf("Double taps wait for a triple tap in:%s\n", waiting.empty() ? " no corner" : waiting.c_str());
    if (!configuration.isEnabled) std::printf("Note: the agent is switched off in this configuration\n");
}

// Frame times are printed from the first frame the watch sees, for touches and gestures alike.
class FrameTimes {
public:
    double relative(double timestamp)
    {
        if (!origin_) origin_ = timestamp;
        return timestamp - *origin_;
    }

private:
    std::optional<double> origin_;
};

std::string cornerName(const std::optional<TrackpadCorner>& corner) { return corner ? corner->id() : "none"; }

// The touch events of a recogniser of its own, fed the same frames as the monitor's and
// built with the same tuning, so they are the monitor's touches. Its gestures are not
// printed: the monitor's, with their deferral, are the ones the agent acts on.
class TouchPrinter {
public:
    TouchPrinter(const RecognizerConfiguration& tuning, FrameTimes& times)
        : tuning_(tuning), recognizer_(tuning), times_(times)
    {
    }

    void ingest(const ContactFrame& frame)
    {
        const double time = times_.relative(frame.timestamp);
        for (const RecognizerEvent& event : recognizer_.ingest(frame)) {
            const auto& payload = event.payload();
            if (const auto* began = std::get_if<RecognizerEvent::TouchBegan>(&payload)) {
                printSnapshot("began", time, began->snapshot);
            } else if (const auto* sample = std::get_if<RecognizerEvent::TouchSample>(&payload)) {
                printSnapshot("sample", time, sample->snapshot);
            } else if (const auto* ended = std::get_if<RecognizerEvent::TouchEnded>(&payload)) {
                printEnd(time, ended->end);
            }
        }
    }

private:
    static void printSnapshot(const char* what, double time, const TouchSnapshot& s)
    {
        std::printf("touch %s %.3f id %d at (%.3f, %.3f) corner %s contacts %td/%td\n", what, time, s.identifier,
                    s.position.x, s.position.y, cornerName(s.corner).c_str(), s.validContactCount,
                    s.totalContactCount);
        std::fflush(stdout);
    }

    void printEnd(double time, const TouchEnd& end) const
    {
        std::printf("touch ended %.3f id %d duration %.3f travel %.3f", time, end.identifier, end.duration, end.travel);
        if (end.duration > tuning_.maximumTapDuration) std::printf(" (too long for a tap)");
        if (end.travel > tuning_.maximumTapTravel) std::printf(" (moved too far for a tap)");
        std::printf("\n");
        std::fflush(stdout);
    }

    RecognizerConfiguration tuning_;
    TrackpadGestureRecognizer recognizer_;
    FrameTimes& times_;
};

// The process's frame sink while the watch runs: its own recogniser first, then the sink
// the monitor installed, untouched.
struct TeeSink {
    std::shared_ptr<TouchPrinter> printer;
    ContactFrameSink monitorSink;

    void operator()(const ContactFrame& frame) const
    {
        printer->ingest(frame);
        monitorSink(frame);
    }
};

// Puts a TeeSink in front of the sink the monitor installed at its last start. Does
// nothing while the monitor has no sink or when it is already wrapped.
void teeFrameSink(const RecognizerConfiguration& tuning, FrameTimes& times)
{
    std::optional<ContactFrameSink>& sink = appContactSink();
    if (!sink || sink->target<TeeSink>() != nullptr) return;
    *sink = TeeSink{std::make_shared<TouchPrinter>(tuning, times), std::move(*sink)};
}

// Collects what the monitor logs: its error lines carry the details behind a status
// (which entry point was missing), and the rest would only repeat the printed lines.
class LastErrorLog final : public platform::LogSink {
public:
    void write(platform::LogLevel level, std::string_view, std::string_view, std::string_view,
               std::string_view message) override
    {
        if (level == platform::LogLevel::error) lastError_ = std::string(message);
    }
    const std::string& lastError() const { return lastError_; }

private:
    std::string lastError_;
};

// Touchpads the bridge's last device scan left out for lack of permission (0 when the bridge
// does not tell).
int unreadableTouchpads(const std::optional<DynamicLibrary>& bridge)
{
    if (!bridge) return 0;
    return linux_backend::unreadableTouchpadCount(bridge->handle()).value_or(0);
}

void printUnreadableHint(std::FILE* out, int unreadable)
{
    std::fprintf(out,
                 "%d touchpad(s) found but not readable for lack of permission; `quorvel devices` shows which, and "
                 "the udev rule shipped with Quorvel (70-quorvel.rules in packaging/) grants the seat's user read "
                 "access\n",
                 unreadable);
}

// Why the monitor could not start, with what the bridge knows about touchpads it left out.
void explainStartFailure(const std::string& status, const LastErrorLog& log, const std::string& bridgePath,
                         const std::optional<DynamicLibrary>& bridge)
{
    // "Private multitouch setup failed: missing symbol ..." says more than the status.
    const bool detailed = log.lastError().starts_with(status + ":");
    std::fprintf(stderr, "quorvel watch: %s\n", detailed ? log.lastError().c_str() : status.c_str());
    if (status == "Could not load multitouch framework") {
        // The monitor's line names the file tried and the loader's reason.
        std::fprintf(stderr, "quorvel watch: %s\n",
                     log.lastError().empty() ? bridgePath.c_str() : log.lastError().c_str());
        return;
    }
    if (status != "No multitouch devices found" || !bridge) return;
    if (const int unreadable = unreadableTouchpads(bridge); unreadable > 0) {
        std::fprintf(stderr, "quorvel watch: ");
        printUnreadableHint(stderr, unreadable);
    }
    using UnsupportedCount = decltype(&QuorvelMultitouchUnsupportedDeviceCount);
    // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
    if (const auto unsupported =
            reinterpret_cast<UnsupportedCount>(bridge->symbol(linux_backend::unsupportedDeviceCountName));
        unsupported != nullptr && unsupported() > 0) {
        std::fprintf(stderr, "quorvel watch: %d touchpad(s) report multitouch protocol A only, which is not supported\n",
                     unsupported());
    }
}

// The watch's event loop: the default GLib context until SIGINT or SIGTERM.
class SignalEndedLoop {
public:
    SignalEndedLoop()
        : loop_(g_main_loop_new(nullptr, FALSE)),
          interruptSource_(g_unix_signal_add(SIGINT, quit, loop_)),
          terminateSource_(g_unix_signal_add(SIGTERM, quit, loop_))
    {
    }
    ~SignalEndedLoop()
    {
        g_source_remove(terminateSource_);
        g_source_remove(interruptSource_);
        g_main_loop_unref(loop_);
    }
    SignalEndedLoop(const SignalEndedLoop&) = delete;
    SignalEndedLoop& operator=(const SignalEndedLoop&) = delete;

    void run() { g_main_loop_run(loop_); }

private:
    static gboolean quit(gpointer loop)
    {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_CONTINUE;
    }

    GMainLoop* loop_;
    guint interruptSource_;
    guint terminateSource_;
};

}  // namespace

int runWatch(const std::vector<std::string>& arguments)
{
    if (const auto answered = answerHelpOrVersion(arguments, "quorvel", usage)) return *answered;
    const auto options = parseOptions(arguments);
    if (!options) return exitUsage;
    const auto configuration = loadConfiguration(*options);
    if (!configuration) return exitFailure;
    printSettings(*configuration);
    const RecognizerConfiguration tuning = tuningOf(*configuration);

    // Signals first: from here on SIGINT and SIGTERM end the loop instead of the process.
    SignalEndedLoop loop;
    linux_backend::GLibMainQueue mainQueue;
    LastErrorLog log;
    linux_backend::SystemWallClock wallClock;
    linux_backend::RandomUuidSource uuids;
    linux_backend::LinuxSystemEventObservers systemEvents;
    linux_backend::LinuxMultitouchFramework multitouch;
    // A handle of the watch's own keeps the bridge loaded when a start that finds no device
    // closes the monitor's, so what the bridge learnt about the touchpads can still be read.
    const auto bridge = DynamicLibrary::open(multitouch.libraryPath());

    FrameTimes times;
    TrackpadMonitorService monitor(MonitorServices{mainQueue, wallClock, log, uuids, systemEvents, multitouch});
    monitor.shouldWaitForTripleTap = [&configuration](TrackpadCorner corner) {
        return waitsForTripleTap(*configuration, corner);
    };
    monitor.onGesture = [&times](const TrackpadGesture& gesture) {
        std::printf("gesture %s %s %.3f\n", gesture.corner.id().c_str(),
                    gesture.pattern == TapPattern::tripleTap ? "tripleTap" : "doubleTap",
                    times.relative(gesture.timestamp));
        std::fflush(stdout);
    };

    monitor.start(tuning);
    if (!monitor.isRunning().get()) {
        explainStartFailure(monitor.statusMessage().get(), log, multitouch.libraryPath(), bridge);
        return exitFailure;
    }
    teeFrameSink(tuning, times);
    std::printf("%s\n", monitor.statusMessage().get().c_str());
    if (const int unreadable = unreadableTouchpads(bridge); unreadable > 0) {
        std::printf("Note: ");
        printUnreadableHint(stdout, unreadable);
    }
    std::fflush(stdout);

    // Rebinding after wake or hotplug installs a fresh sink of the monitor's once the start
    // has finished; wrap that one too, and say how the rebinding went.
    monitor.installWakeRecovery();
    monitor.isRunning().subscribeWillChange([&mainQueue, &times, tuning](bool running) {
        if (running) mainQueue.async([&times, tuning] { teeFrameSink(tuning, times); });
    });
    monitor.statusMessage().subscribeWillChange([&monitor](const std::string& status) {
        const auto& gesture = monitor.lastGesture().get();
        if (gesture && status == gestureStatusText(*gesture)) return;  // printed as the gesture
        std::printf("%s\n", status.c_str());
        std::fflush(stdout);
    });

    loop.run();
    // The sink refers to this frame; frames still queued are dropped once it is gone.
    appContactSink().reset();
    return exitSuccess;
}

}  // namespace quorvel::tool
