#include "helper/runner/HelperRunner.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "helper/actions/ActionDispatcher.h"
#include "helper/actions/ApplicationSwitching.h"
#include "helper/configuration/FileReading.h"
#include "helper/configuration/SharedPaths.h"

namespace quorvel {

namespace {

std::filesystem::path supportFile(const char* name) { return SharedPaths::applicationSupportDirectory() / name; }

ConfigurationReading readConfigurationFile()
{
    const auto file = supportFile(SharedPaths::configurationFileName);
    return readConfiguration(file, readWholeFileOrFailure(file));
}

RecognizerConfiguration recognizerConfiguration(const RecognizerSettings& settings)
{
    return RecognizerConfiguration{settings.cornerZone, settings.doubleTapWindow, settings.tripleTapWindow,
                                   settings.maximumTapDuration, settings.maximumTapTravel};
}

}  // namespace

HelperRunner::HelperRunner(const HelperServices& services)
    : services_(services),
      logger_(services.logSink, "Quorvel", "Helper"),
      monitor_(std::make_unique<TrackpadMonitorService>(services.monitor)),
      configuration_(AppConfiguration::defaultConfiguration()),
      configurationInForce_(ConfigurationInForce{})
{
    auto reading = readConfigurationFile();
    configuration_ = std::move(reading.configuration);
    configurationInForce_ = std::move(reading.inForce);
}

HelperRunner::~HelperRunner() = default;

bool HelperRunner::start()
{
    startRefusal_ = acquireSingleInstanceLock();
    if (startRefusal_) {
        // Only a lock held elsewhere means another agent; an unusable lock has been logged as such.
        if (*startRefusal_ == StartRefusal::anotherHelperRunning) {
            logger_.info("Another Quorvel helper is already running");
        }
        return false;
    }
    // Said as soon as nothing can stop the start any more, so that it comes before the lines
    // of what starts next (the devices found, or why there are none).
    logger_.info("Quorvel helper started");
    ActionDispatcher::startTrackingApplications(services_.actions);
    monitor_->installWakeRecovery();

    std::weak_ptr<HelperRunner*> weak = lifetime_;
    monitor_->shouldWaitForTripleTap = [weak](TrackpadCorner corner) {
        auto self = weak.lock();
        return self && (*self)->shouldWaitForTripleTap(corner);
    };
    monitor_->onGesture = [weak](const TrackpadGesture& gesture) {
        if (auto self = weak.lock()) (*self)->runAction(gesture);
    };

    reloadConfiguration(true);
    refreshActionsSuppressed();

    // The timer only hands the poll to a main-thread task; the task does the file work.
    configurationPollTimer_ = services_.mainQueue.scheduleRepeating(
        configurationPollInterval, [weak, &queue = services_.mainQueue] {
            queue.startMainTask([weak] {
                if (auto self = weak.lock()) {
                    (*self)->reloadConfiguration(false);
                    (*self)->refreshActionsSuppressed();
                }
            });
        });
    return true;
}

void HelperRunner::reloadNow()
{
    if (!configurationPollTimer_) return;
    logger_.info("Reloading the configuration on request");
    reloadConfiguration(true);
}

std::optional<HelperRunner::StartRefusal> HelperRunner::acquireSingleInstanceLock()
{
    const auto directory = SharedPaths::applicationSupportDirectory();
    if (const auto failure = SharedPaths::createPrivateDirectories(directory)) {
        logger_.error("Could not create helper support directory: %s", failure->c_str());
        return StartRefusal::lockUnusable;
    }

    // Close-on-exec: an application launched by the agent must not inherit the lock and
    // keep it after the agent has gone.
    const auto lockPath = directory / SharedPaths::lockFileName;
    platform::UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid()) {
        logger_.error("Could not open helper lock file %s: %s", lockPath.c_str(), std::strerror(errno));
        return StartRefusal::lockUnusable;
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) return StartRefusal::anotherHelperRunning;
        logger_.error("Could not lock helper lock file %s: %s", lockPath.c_str(), std::strerror(error));
        return StartRefusal::lockUnusable;
    }
    lockFile_ = std::move(lock);
    return std::nullopt;
}

void HelperRunner::reloadConfiguration(bool force)
{
    const auto file = supportFile(SharedPaths::configurationFileName);
    FileReadResult read = readWholeFileOrFailure(file);
    auto* bytes = std::get_if<std::vector<std::uint8_t>>(&read);
    const auto* failure = std::get_if<FileReadFailure>(&read);
    // A file that turns unreadable for another reason is a change too: the log must say so.
    const bool changed = !(bytes ? configurationData_ && *configurationData_ == *bytes
                                 : !configurationData_ && configurationReadFailure_ == *failure);
    if (!force && !changed) return;

    // The bytes just compared are the ones decoded: a second read could see a newer file.
    ConfigurationReading reading = readConfiguration(file, read);
    configurationData_ = bytes ? std::optional(std::move(*bytes)) : std::nullopt;
    configurationReadFailure_ = failure ? std::optional(*failure) : std::nullopt;
    configuration_ = std::move(reading.configuration);
    const ConfigurationInForce before = configurationInForce_;
    configurationInForce_ = std::move(reading.inForce);
    logConfigurationChange(before, changed);

    if (configuration_.isEnabled) {
        const auto recognizer = recognizerConfiguration(configuration_.recognizer);
        if (monitor_->isRunning().get()) {
            monitor_->update(recognizer);
        } else {
            monitor_->start(recognizer);
        }
    } else if (monitor_->isRunning().get()) {
        monitor_->stop();
    }
}

// One line per change of what is in force: an unusable file once per content, the file
// back in force, the file gone. Nothing for a file that appears where there was none.
void HelperRunner::logConfigurationChange(const ConfigurationInForce& before, bool contentChanged) const
{
    using Source = ConfigurationInForce::Source;
    const ConfigurationInForce& now = configurationInForce_.get();
    switch (now.source) {
    case Source::defaultForUnusableFile:
        if (contentChanged || before != now) {
            logger_.error("Configuration file unusable, running with the default configuration: %s",
                          now.problem.c_str());
        }
        break;
    case Source::file:
        if (before.source == Source::defaultForUnusableFile) {
            logger_.info("Configuration file in force again: %s", now.file.c_str());
        }
        break;
    case Source::defaultWithoutFile:
        if (before.source != Source::defaultWithoutFile) {
            logger_.info("Configuration file gone, running with the default configuration: %s", now.file.c_str());
        }
        break;
    }
}

// Published only: whether an action runs is decided by the marker at that moment.
void HelperRunner::refreshActionsSuppressed()
{
    std::error_code error;
    const bool suppressed = std::filesystem::exists(supportFile(SharedPaths::suppressActionsFileName), error);
    if (suppressed == actionsSuppressed_.get()) return;
    actionsSuppressed_ = suppressed;
    monitor_->suppressesActions = suppressed;
}

bool HelperRunner::shouldWaitForTripleTap(TrackpadCorner corner) const
{
    const auto tripleTap = configuration_.assignment(corner).tripleTap;
    return tripleTap && tripleTap->isEnabled;
}

void HelperRunner::runAction(const TrackpadGesture& gesture)
{
    if (!configuration_.isEnabled) return;
    std::error_code error;
    if (std::filesystem::exists(supportFile(SharedPaths::suppressActionsFileName), error)) return;

    const auto assignment = configuration_.assignment(gesture.corner);
    const auto& action = gesture.pattern == TapPattern::tripleTap ? assignment.tripleTap : assignment.doubleTap;
    if (!action || !action->isEnabled) return;
    ActionDispatcher::run(services_.actions, *action, gesture);
}

}  // namespace quorvel
