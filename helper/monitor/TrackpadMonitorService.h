#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QuorvelCore/ContactFrame.h>
#include <QuorvelCore/RecognizerConfiguration.h>
#include <QuorvelCore/TrackpadCorner.h>
#include <QuorvelCore/TrackpadGesture.h>
#include <QuorvelCore/TrackpadGestureRecognizer.h>

#include "helper/monitor/DynamicLibrary.h"
#include "helper/monitor/MonitorServices.h"
#include "helper/monitor/RetainedDeviceList.h"
#include "helper/support/Published.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/MultitouchFramework.h"
#include "platform/SystemEvents.h"
#include "platform/Uuid.h"

namespace quorvel {

// Why an entry point could not be bound.
struct SymbolLookupError {
    std::string domain;
    int code = 0;
    std::string localizedDescription;

    friend bool operator==(const SymbolLookupError&, const SymbolLookupError&) = default;
};

// Sits between the multitouch devices and the runner: binds the devices, feeds every
// frame to the tap recogniser on the main thread, delivers the gestures (holding a
// double tap back while a triple tap could still follow), publishes its state, and
// rebinds the devices after wake, display changes, unlock and touchpad hotplug.
// Main thread only, except for the frame callback (see AppContactRouting.h).
//
// The member functions are defined by concern: delivery and deferral in
// TrackpadMonitorService.cpp, the device binding in MultitouchBinding.cpp, the
// recovery in WakeRecovery.cpp.
class TrackpadMonitorService {
public:
    // Recogniser values until the first start or update.
    static constexpr RecognizerConfiguration initialConfiguration{0.3, 0.45, 0.2, 0.28, 0.08};
    static constexpr std::int64_t recoveryAttemptLimit = 8;

    explicit TrackpadMonitorService(const MonitorServices& services);
    TrackpadMonitorService(const TrackpadMonitorService&) = delete;
    TrackpadMonitorService& operator=(const TrackpadMonitorService&) = delete;
    // Unbinds the devices and closes the framework, so that no framework thread is
    // left calling back into an unloaded library or a dead queue.
    ~TrackpadMonitorService();

    // Published state, written only by the service.
    const Published<bool>& isRunning() const { return isRunning_; }
    const Published<std::string>& statusMessage() const { return statusMessage_; }
    const Published<std::optional<TrackpadGesture>>& lastGesture() const { return lastGesture_; }
    const Published<platform::Uuid>& gestureEventID() const { return gestureEventID_; }
    // The devices bound by the last start, as the framework names them; empty while not running.
    const Published<std::vector<platform::TouchpadIdentity>>& watchedTouchpads() const { return watchedTouchpads_; }

    // Hooks set by the owner (empty = absent). An absent `shouldWaitForTripleTap`
    // counts as an answer of true: a held double tap waits.
    std::function<void(const TrackpadGesture&)> onGesture;
    std::function<bool(TrackpadCorner)> shouldWaitForTripleTap;
    // Kept for the owner; the service never reads it.
    bool suppressesActions = false;

    // Applies a new recogniser configuration, running or not; drops a held double tap.
    void update(const RecognizerConfiguration& configuration);
    // Binds and starts every device, or only applies the configuration when running.
    void start(const RecognizerConfiguration& configuration);
    // Unbinds every device, closes the framework and cancels all scheduled work.
    void stop();
    // Registers the system-event observers that trigger a recovery, once.
    void installWakeRecovery();

private:
    friend struct TrackpadMonitorServiceProbe;  // tests

    using Lifetime = std::shared_ptr<TrackpadMonitorService*>;
    using WeakSelf = std::weak_ptr<TrackpadMonitorService*>;

    // Delivery and deferral.
    void ingest(const ContactFrame& frame);
    void emit(const TrackpadGesture& gesture);
    bool emitPendingDoubleTapImmediatelyIfNeeded(double timestamp);
    void schedulePendingDoubleFlush(double timestamp);
    void replaceRecognizer(const RecognizerConfiguration& configuration);

    // Device binding.
    void cleanupMultitouchResources();
    void releaseBinding();
    template <class Function>
    std::variant<Function, SymbolLookupError> loadSymbol(const char* name, const DynamicLibrary& library) const;
    void failSetup(const SymbolLookupError& error);

    // Recovery.
    void scheduleRecoveryRestart(const std::string& reason, double delaySeconds);
    void restartForRecovery(const RecognizerConfiguration& configuration, const std::string& reason,
                            std::int64_t generation, std::int64_t attempt);
    void checkRecovery(const RecognizerConfiguration& configuration, const std::string& reason,
                       std::int64_t generation, std::int64_t attempt);
    bool receivedFrameSinceRecoveryStarted() const;

    // A task that runs `body` on the service only while the service still exists.
    template <class Body>
    platform::Task weakly(Body body) const
    {
        return [weak = WeakSelf(lifetime_), body = std::move(body)] {
            if (auto self = weak.lock()) body(**self);
        };
    }

    // A work item body that hands `task` to a task bound to the main thread. It holds
    // the queue (which outlives the service), not the service.
    platform::Task startingMainTask(platform::Task task) const
    {
        return [&queue = mainQueue_, task = std::move(task)] { queue.startMainTask(task); };
    }

    platform::MainQueue& mainQueue_;
    platform::WallClock& wallClock_;
    platform::UuidSource& uuids_;
    platform::SystemEventObservers& systemEvents_;
    platform::MultitouchFramework& multitouch_;

    Published<bool> isRunning_{false};
    Published<std::string> statusMessage_{"Not started"};
    Published<std::optional<TrackpadGesture>> lastGesture_{std::nullopt};
    Published<platform::Uuid> gestureEventID_;
    Published<std::vector<platform::TouchpadIdentity>> watchedTouchpads_{{}};

    std::unique_ptr<TrackpadGestureRecognizer> recognizer_;
    std::optional<DynamicLibrary> frameworkHandle_;
    std::optional<RetainedDeviceList> deviceList_;  // destroyed before frameworkHandle_ is closed
    std::vector<const void*> devices_;
    platform::multitouch::RegisterContactFrameCallbackFunction registerCallback_ = nullptr;
    platform::multitouch::DeviceStopFunction stopDevice_ = nullptr;
    std::shared_ptr<platform::WorkItem> pendingFlushWorkItem_;
    std::shared_ptr<platform::WorkItem> pendingRestartWorkItem_;
    double pendingDoubleTapDelay_ = initialConfiguration.tripleTapWindow;
    RecognizerConfiguration currentConfiguration_ = initialConfiguration;
    std::vector<platform::ObserverToken> recoveryObservers_;
    std::int64_t recoveryGeneration_ = 0;
    std::optional<double> recoveryStartedAt_;
    std::optional<double> lastFrameReceivedAt_;
    platform::Logger logger_;

    // Work items, observers and the frame sink hold this weakly; it dies with the service.
    Lifetime lifetime_ = std::make_shared<TrackpadMonitorService*>(this);
};

}  // namespace quorvel
