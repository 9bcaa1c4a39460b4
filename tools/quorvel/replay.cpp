// `quorvel replay`: runs a recorded touchpad through the bridge's decoder and the
// agent's recogniser, and prints the gestures it would have acted on.
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <QuorvelCore.h>

#include "helper/configuration/ConfigurationStore.h"
#include "platform/linux/multitouch/EvemuRecording.h"
#include "platform/linux/multitouch/RecordingReplay.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {

namespace {

using linux_backend::EvemuParseError;
using linux_backend::EvemuRecording;

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
    "  --verbose      also print the touch events of the recogniser\n";

struct Options {
    std::vector<std::string> files;
    std::optional<std::string> configuration;
    bool verbose = false;
};

// The tuning of the default configuration.
constexpr RecognizerConfiguration defaultTuning{0.3, 0.45, 0.2, 0.28, 0.08};

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return content.str();
}

std::optional<EvemuRecording> loadRecording(const std::string& path)
{
    const auto text = readFile(path);
    if (!text) {
        std::fprintf(stderr, "quorvel replay: cannot read '%s'\n", path.c_str());
        return std::nullopt;
    }
    auto parsed = linux_backend::parseEvemuRecording(*text);
    if (const auto* error = std::get_if<EvemuParseError>(&parsed)) {
        std::fprintf(stderr, "quorvel replay: %s:%zu: %s\n", path.c_str(), error->line, error->message.c_str());
        return std::nullopt;
    }
    return std::get<EvemuRecording>(std::move(parsed));
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
                std::fprintf(stderr, "quorvel replay: --config needs a file\n");
                return std::nullopt;
            }
            options.configuration = arguments[++i];
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "quorvel replay: unknown option '%s'\n\n%s", argument.c_str(), usage);
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
        std::fprintf(stderr, "quorvel replay: cannot read '%s': %s\n", path->c_str(), failure->reason.c_str());
        return std::nullopt;
    }
    if (const auto* error = std::get_if<DecodingError>(&loaded)) {
        std::fprintf(stderr, "quorvel replay: '%s' is not a valid configuration: %s%s%s\n", path->c_str(),
                     error->path.c_str(), error->path.empty() ? "" : ": ", error->reason.c_str());
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
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::printf("%s", usage);
        return 0;
    }
    const auto options = parseOptions(arguments);
    if (!options) return 1;
    const auto settings = loadSettings(options->configuration);
    if (!settings) return 1;

    auto recording = loadRecording(options->files.front());
    if (!recording) return 1;
    if (!recording->description) {
        std::fprintf(stderr,
                     "quorvel replay: '%s' has no device description; give the .desc file first, then the .events file\n",
                     options->files.front().c_str());
        return 1;
    }
    if (options->files.size() == 2) {
        // The description comes from the first file; the second gives the events.
        auto events = loadRecording(options->files.back());
        if (!events) return 1;
        recording->events = std::move(events->events);
    }

    auto decoded = linux_backend::decodeRecording(*recording->description, recording->events);
    if (const auto* problem = std::get_if<std::string>(&decoded)) {
        std::fprintf(stderr, "quorvel replay: %s\n", problem->c_str());
        return 1;
    }
    std::vector<ContactFrame> frames;
    for (const auto& frame : std::get<std::vector<linux_backend::DecodedFrame>>(decoded)) {
        frames.push_back(linux_backend::toContactFrame(frame, 0));
    }
    for (const auto& event : linux_backend::replayFrames(frames, settings->tuning, settings->waitsForTripleTap)) {
        printEvent(event, options->verbose);
    }
    return 0;
}

}  // namespace quorvel::tool
