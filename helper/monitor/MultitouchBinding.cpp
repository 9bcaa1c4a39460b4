// Binding the multitouch framework: loading it, registering the frame callback on
// every device, starting and stopping the devices, closing it again.
#include <utility>

#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/MonitorStatusText.h"
#include "helper/monitor/TrackpadMonitorService.h"

namespace quorvel {

namespace mt = platform::multitouch;

namespace {

SymbolLookupError missingSymbol(const char* name)
{
    return SymbolLookupError{"QuorvelApp", 1, std::string("missing symbol ") + name};
}

// The list accessors count like entry points: the first one a library lacks ends the
// start the same way.
std::optional<SymbolLookupError> missingListAccessor(const platform::DeviceListAccess& access)
{
    if (access.count == nullptr) return missingSymbol(mt::deviceListGetCountName);
    if (access.valueAtIndex == nullptr) return missingSymbol(mt::deviceListGetValueAtIndexName);
    if (access.retain == nullptr) return missingSymbol(mt::deviceListRetainName);
    if (access.release == nullptr) return missingSymbol(mt::deviceListReleaseName);
    return std::nullopt;
}

}  // namespace

template <class Function>
std::variant<Function, SymbolLookupError> TrackpadMonitorService::loadSymbol(const char* name,
                                                                             const DynamicLibrary& library) const
{
    void* address = library.symbol(name);
    if (address == nullptr) return missingSymbol(name);
    // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
    return reinterpret_cast<Function>(address);
}

void TrackpadMonitorService::failSetup(const SymbolLookupError& error)
{
    statusMessage_ = "Private multitouch setup failed";
    logger_.error("Private multitouch setup failed: %s", error.localizedDescription.c_str());
    cleanupMultitouchResources();
}

void TrackpadMonitorService::start(const RecognizerConfiguration& configuration)
{
    currentConfiguration_ = configuration;
    if (isRunning_) {
        update(configuration);
        return;
    }
    // A release already scheduled stays scheduled; it will find the new recogniser empty.
    replaceRecognizer(configuration);

    const std::string libraryPath = multitouch_.libraryPath();
    std::string whyNot;
    auto library = DynamicLibrary::open(libraryPath, &whyNot);
    if (!library) {
        statusMessage_ = "Could not load multitouch framework";
        logger_.error("Could not load MultitouchSupport.framework from %s: %s", libraryPath.c_str(), whyNot.c_str());
        return;
    }
    frameworkHandle_ = std::move(library);

    const auto createList = loadSymbol<mt::DeviceCreateListFunction>(mt::deviceCreateListName, *frameworkHandle_);
    if (const auto* error = std::get_if<SymbolLookupError>(&createList)) return failSetup(*error);
    const auto registerCallback =
        loadSymbol<mt::RegisterContactFrameCallbackFunction>(mt::registerContactFrameCallbackName, *frameworkHandle_);
    if (const auto* error = std::get_if<SymbolLookupError>(&registerCallback)) return failSetup(*error);
    const auto startDevice = loadSymbol<mt::DeviceStartFunction>(mt::deviceStartName, *frameworkHandle_);
    if (const auto* error = std::get_if<SymbolLookupError>(&startDevice)) return failSetup(*error);
    registerCallback_ = std::get<mt::RegisterContactFrameCallbackFunction>(registerCallback);
    const auto stopDevice = loadSymbol<mt::DeviceStopFunction>(mt::deviceStopName, *frameworkHandle_);
    if (const auto* error = std::get_if<SymbolLookupError>(&stopDevice)) return failSetup(*error);
    stopDevice_ = std::get<mt::DeviceStopFunction>(stopDevice);
    const auto access = multitouch_.deviceListAccess(frameworkHandle_->handle());
    if (const auto error = missingListAccessor(access)) return failSetup(*error);

    // The list belongs to the library; a null list is read as an empty one.
    const void* list = std::get<mt::DeviceCreateListFunction>(createList)();
    long count = 0;
    if (list != nullptr) {
        deviceList_ = RetainedDeviceList(list, access);
        count = access.count(deviceList_->get());
    }
    if (count < 1) {
        statusMessage_ = "No multitouch devices found";
        logger_.error("No multitouch devices found");
        // Asked before the cleanup closes the library, which may know why it found none.
        if (const auto hint = multitouch_.noDeviceHint(frameworkHandle_->handle())) {
            if (hint->isError) {
                logger_.error("%s", hint->text.c_str());
            } else {
                logger_.info("%s", hint->text.c_str());
            }
        }
        cleanupMultitouchResources();
        return;
    }

    appContactSink() = [weak = WeakSelf(lifetime_)](const ContactFrame& frame) {
        if (auto self = weak.lock()) (**self).ingest(frame);
    };
    setAppContactQueue(&mainQueue_);

    const auto deviceStart = std::get<mt::DeviceStartFunction>(startDevice);
    for (long i = 0; i < count; ++i) {
        const void* device = access.valueAtIndex(deviceList_->get(), i);
        if (device == nullptr) continue;
        devices_.push_back(device);
        registerCallback_(device, &appContactCallback);
        deviceStart(device, 0);
    }
    std::vector<platform::TouchpadIdentity> watched;
    for (const void* device : devices_) {
        watched.push_back(multitouch_.touchpadIdentity(frameworkHandle_->handle(), device).value_or(
            platform::TouchpadIdentity{}));
    }
    watchedTouchpads_ = std::move(watched);
    isRunning_ = true;
    // The count includes null entries.
    statusMessage_ = monitoringStatusText(count);
    logger_.info("Monitoring %ld multitouch device(s)", count);
}

void TrackpadMonitorService::releaseBinding()
{
    for (const void* device : devices_) {
        if (registerCallback_ != nullptr) registerCallback_(device, nullptr);
        if (stopDevice_ != nullptr) stopDevice_(device);
    }
    devices_.clear();
    deviceList_.reset();
    registerCallback_ = nullptr;
    stopDevice_ = nullptr;
    frameworkHandle_.reset();
}

void TrackpadMonitorService::cleanupMultitouchResources()
{
    releaseBinding();
    if (!watchedTouchpads_.get().empty()) watchedTouchpads_ = {};
    isRunning_ = false;
}

void TrackpadMonitorService::stop()
{
    if (pendingRestartWorkItem_) {
        pendingRestartWorkItem_->cancel();
        pendingRestartWorkItem_.reset();
    }
    appContactSink().reset();
    // Frames the framework still sends are dropped at the callback from now on.
    clearAppContactQueue(&mainQueue_);
    if (pendingFlushWorkItem_) {
        pendingFlushWorkItem_->cancel();
        pendingFlushWorkItem_.reset();
    }
    cleanupMultitouchResources();
    statusMessage_ = "Stopped";
}

}  // namespace quorvel
