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
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/FileReading.h"
#include "helper/configuration/SharedPaths.h"

namespace quorvel {

namespace {

std::filesystem::path supportFile(const char* name) { return SharedPaths::applicationSupportDirectory() / name; }

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
      configuration_(ConfigurationStore().configuration.get())
{
}

HelperRunner::~HelperRunner()
{
    // The lock lasts as long as the runner, which in the agent is the life of the process.
    if (lockFileDescriptor_ >= 0) ::close(lockFileDescriptor_);
}

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

    // The timer only hands the poll to a main-thread task; the task does the file work.
    configurationPollTimer_ = services_.mainQueue.scheduleRepeating(
        configurationPollInterval, [weak, &queue = services_.mainQueue] {
            queue.startMainTask([weak] {
                if (auto self = weak.lock()) (*self)->reloadConfiguration(false);
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
    const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        logger_.error("Could not open helper lock file %s: %s", lockPath.c_str(), std::strerror(errno));
        return StartRefusal::lockUnusable;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK) return StartRefusal::anotherHelperRunning;
        logger_.error("Could not lock helper lock file %s: %s", lockPath.c_str(), std::strerror(error));
        return StartRefusal::lockUnusable;
    }
    lockFileDescriptor_ = descriptor;
    return std::nullopt;
}

void HelperRunner::reloadConfiguration(bool force)
{
    auto data = readWholeFile(supportFile(SharedPaths::configurationFileName));
    if (!force && data == configurationData_) return;
    configurationData_ = std::move(data);

    configuration_ = ConfigurationStore().configuration.get();

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
