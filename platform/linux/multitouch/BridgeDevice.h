#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/EventSource.h"
#include "platform/linux/multitouch/MultitouchDecoder.h"

namespace quorvel::linux_backend {

// One touchpad as the bridge hands it out: its event source, decoder and callback.
// Not synchronised itself; BridgeRuntime serialises every use under its lock.
class BridgeDevice {
public:
    // `name` and `node` say which device it is to a person (the name it reports, its event node).
    BridgeDevice(std::int32_t id, std::unique_ptr<EventSource> source, MultitouchDecoder decoder,
                 std::string name = {}, std::string node = {});

    std::int32_t id() const { return id_; }
    const std::string& name() const { return name_; }
    const std::string& node() const { return node_; }
    int fd() const { return source_->fd(); }
    void setCallback(MTContactFrameCallback callback) { callback_ = callback; }
    // Set while the reader thread reads the device; frames are delivered only then.
    void setActive(bool active) { active_ = active; }

    enum class ReadResult { drained, more, gone };
    // Reads up to `maximumEvents` events and delivers every frame they complete to the
    // callback (when one is set).
    ReadResult readAvailable(std::size_t maximumEvents);

private:
    void deliver(const DecodedFrame& frame);

    std::int32_t id_;
    std::string name_;
    std::string node_;
    std::unique_ptr<EventSource> source_;
    MultitouchDecoder decoder_;
    MTContactFrameCallback callback_ = nullptr;
    bool active_ = false;
    std::vector<std::byte> records_;
};

}  // namespace quorvel::linux_backend
