// `quorvel replay`: runs a recorded touchpad through the bridge's decoder and the
// agent's recogniser, and prints the gestures it would have acted on.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QuorvelCore.h>

#include "helper/configuration/ConfigurationStore.h"
#include "platform/linux/multitouch/EvemuRecording.h"
#include "platform/linux/multitouch/RecordingReplay.h"
#include "platform/PrintableText.h"
#include "platform/UniqueFd.h"
#include "tools/CommandLine.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {

namespace {

using linux_backend::EvemuParseError;
using linux_backend::EvemuParser;
using linux_backend::EvemuRecording;

// Far beyond a recording of an hour's use of a touchpad; the events are kept in memory.
constexpr off_t maximumRecordingSize = 32 * 1024 * 1024;

constexpr const char* usage =
    "Usage: quorvel replay RECORDING [--config FILE] [--verbose]\n"
    "       quorvel replay DESCRIPTION EVENTS [--config FILE] [--verbose]\n"
    "\n"
    "Runs an evemu recording of a touchpad (with its device description, or a .desc file\n"
    "followed by its .events file) through the agent's decoder and tap recogniser and prints\n"
    "one line per gesture: gesture <corner> <pattern> <seconds from the first event>.\n"
    "\n"
    "  --config FILE  use the recogniser settings and triple-tap actions of this\n"
    "                 configuration file instead of the default tuning\n"
    "  --verbose      also print the touch events of the recogniser\n"
    "\n"
    "Recordings are regular files of at most 32 MiB whose event times never go backwards.\n"
    "Exits 0 when the recording was replayed, 1 when it cannot be (the reason is printed),\n"
    "2 for a wrong command line.\n";

struct Options {
    std::vector<std::string> files;
    std::optional<std::string> configuration;
    bool verbose = false;
};

// The tuning of the default configuration.
constexpr RecognizerConfiguration defaultTuning{0.3, 0.45, 0.2, 0.28, 0.08};

// An error line on stderr, escaped: it may quote the recording or the command line.
void complain(const char* format, ...) __attribute__((format(printf, 1, 2)));
void complain(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    char buffer[1024];
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "quorvel replay: %s\n", platform::escapedForDisplay(buffer, sizeof buffer).c_str());
}


// Reads a recording line by line into the parser. Only a regular file of at most the size
// cap is read: a device such as /dev/zero never ends, and a FIFO may never be written.
std::optional<EvemuRecording> loadRecording(const std::string& path)
{
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        complain("cannot read '%s': %s", path.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        complain("'%s' is not a regular file", path.c_str());
        return std::nullopt;
    }
    if (status.st_size > maximumRecordingSize) {
        complain("'%s' is larger than %lld MiB", path.c_str(), static_cast<long long>(maximumRecordingSize >> 20));
        return std::nullopt;
    }
    EvemuParser parser;
    std::string pending;
    char buffer[64 * 1024];
    off_t total = 0;
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            complain("cannot read '%s': %s", path.c_str(), std::strerror(errno));
            return std::nullopt;
        }
        if ((total += count) > maximumRecordingSize) {  // it grew while being read
            complain("'%s' is larger than %lld MiB", path.c_str(), static_cast<long long>(maximumRecordingSize >> 20));
            return std::nullopt;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        std::size_t start = 0;
        for (std::size_t newline; (newline = pending.find('\n', start)) != std::string::npos; start = newline + 1) {
            if (const auto error = parser.parseLine(std::string_view(pending).substr(start, newline - start))) {
                complain("%s:%zu: %s", path.c_str(), error->line, error->message.c_str());
                return std::nullopt;
            }
        }
        pending.erase(0, start);
        if (count == 0) break;
    }
    if (!pending.empty()) {
        if (const auto error = parser.parseLine(pending)) {
            complain("%s:%zu: %s", path.c_str(), error->line, error->message.c_str());
            return std::nullopt;
        }
    }
    return parser.takeRecording();
}

std::string_view patternName(TapPattern pattern) { return pattern == TapPattern::tripleTap ? "tripleTap" : "doubleTap"; }

std::string cornerName(const std::optional<TrackpadCorner>& corner)
{
    return corner ? std::string(corner->rawValue()) : std::string("none");
}

void printEvent(const linux_backend::ReplayedEvent& replayed, bool verbose)
{
    const auto& payload = replayed.event.payload();
    if (const auto* gesture = std::get_if<RecognizerEvent::Gesture>(&payload)) {
        const TrackpadGesture& g = gesture->gesture;
        std::printf("gesture %s %s %.3f\n", std::string(g.corner.rawValue()).c_str(),
                    std::string(patternName(g.pattern)).c_str(), g.timestamp);
        return;
    }
    if (!verbose) return;
    const auto printSnapshot = [&](const char* what, const TouchSnapshot& s) {
        std::printf("touch %s %.3f id %d state %d at (%.3f, %.3f) corner %s contacts %td/%td\n", what, replayed.time,
                    s.identifier, s.state, s.position.x, s.position.y, cornerName(s.corner).c_str(),
                    s.validContactCount, s.totalContactCount);
    };
    if (const auto* began = std::get_if<RecognizerEvent::TouchBegan>(&payload)) {
        printSnapshot("began", began->snapshot);
    } else if (const auto* sample = std::get_if<RecognizerEvent::TouchSample>(&payload)) {
        printSnapshot("sample", sample->snapshot);
    } else if (const auto* ended = std::get_if<RecognizerEvent::TouchEnded>(&payload)) {
        std::printf("touch ended %.3f id %d duration %.3f travel %.3f\n", replayed.time, ended->end.identifier,
                    ended->end.duration, ended->end.travel);
    }
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--config") {
            if (i + 1 == arguments.size()) {
                complain("--config needs a file");
                return std::nullopt;
            }
            options.configuration = arguments[++i];
        } else if (argument.size() > 1 && argument[0] == '-') {
            complain("unknown option '%s'", argument.c_str());
            std::fprintf(stderr, "\n%s", usage);
            return std::nullopt;
        } else {
            options.files.push_back(argument);
        }
    }
    if (options.files.empty() || options.files.size() > 2) {
        std::fprintf(stderr, "%s", usage);
        return std::nullopt;
    }
    return options;
}

// The recogniser tuning and the corners whose double taps wait for a third tap.
struct ReplaySettings {
    RecognizerConfiguration tuning = defaultTuning;
    std::function<bool(TrackpadCorner)> waitsForTripleTap = [](TrackpadCorner) { return false; };
};

std::optional<ReplaySettings> loadSettings(const std::optional<std::string>& path)
{
    ReplaySettings settings;
    if (!path) return settings;
    auto loaded = ConfigurationStore::load(*path);
    if (const auto* failure = std::get_if<FileReadFailure>(&loaded)) {
        complain("cannot read '%s': %s", path->c_str(), failure->reason.c_str());
        return std::nullopt;
    }
    if (const auto* error = std::get_if<DecodingError>(&loaded)) {
        complain("'%s' is not a valid configuration: %s%s%s", path->c_str(), error->path.c_str(),
                 error->path.empty() ? "" : ": ", error->reason.c_str());
        return std::nullopt;
    }
    const AppConfiguration configuration = std::get<AppConfiguration>(std::move(loaded));
    const RecognizerSettings& r = configuration.recognizer;
    settings.tuning = RecognizerConfiguration{r.cornerZone, r.doubleTapWindow, r.tripleTapWindow, r.maximumTapDuration,
                                              r.maximumTapTravel};
    settings.waitsForTripleTap = [configuration](TrackpadCorner corner) {
        const auto tripleTap = configuration.assignment(corner).tripleTap;
        return tripleTap && tripleTap->isEnabled;
    };
    return settings;
}

}  // namespace

int runReplay(const std::vector<std::string>& arguments)
{
    if (const auto answered = answerHelpOrVersion(arguments, "quorvel", usage)) return *answered;
    const auto options = parseOptions(arguments);
    if (!options) return exitUsage;
    const auto settings = loadSettings(options->configuration);
    if (!settings) return exitFailure;

    auto recording = loadRecording(options->files.front());
    if (!recording) return exitFailure;
    if (!recording->description) {
        complain("'%s' has no device description; give the .desc file first, then the .events file",
                 options->files.front().c_str());
        return exitFailure;
    }
    if (options->files.size() == 2) {
        // The description comes from the first file; the second gives the events.
        auto events = loadRecording(options->files.back());
        if (!events) return exitFailure;
        recording->events = std::move(events->events);
    }

    auto decoded = linux_backend::decodeRecording(*recording->description, recording->events);
    if (const auto* problem = std::get_if<std::string>(&decoded)) {
        complain("%s", problem->c_str());
        return exitFailure;
    }
    std::vector<ContactFrame> frames;
    for (const auto& frame : std::get<std::vector<linux_backend::DecodedFrame>>(decoded)) {
        frames.push_back(linux_backend::toContactFrame(frame, 0));
    }
    for (const auto& event : linux_backend::replayFrames(frames, settings->tuning, settings->waitsForTripleTap)) {
        printEvent(event, options->verbose);
    }
    return exitSuccess;
}

}  // namespace quorvel::tool
