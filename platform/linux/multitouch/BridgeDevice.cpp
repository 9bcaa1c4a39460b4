#include "platform/linux/multitouch/BridgeDevice.h"

#include "platform/linux/multitouch/RawTouchRecords.h"

namespace quorvel::linux_backend {

BridgeDevice::BridgeDevice(std::int32_t id, std::unique_ptr<EventSource> source, MultitouchDecoder decoder,
                           std::string name, std::string node)
    : id_(id), name_(std::move(name)), node_(std::move(node)), source_(std::move(source)), decoder_(std::move(decoder))
{
}

BridgeDevice::ReadResult BridgeDevice::readAvailable(std::size_t maximumEvents)
{
    InputEvent event;
    for (std::size_t read = 0; read < maximumEvents; ++read) {
        switch (source_->next(event)) {
        case EventSource::Status::drained: return ReadResult::drained;
        case EventSource::Status::gone: return ReadResult::gone;
        case EventSource::Status::event:
            if (const DecodedFrame* frame = decoder_.feed(event)) deliver(*frame);
            break;
        }
    }
    return ReadResult::more;
}

void BridgeDevice::deliver(const DecodedFrame& frame)
{
    // A callback may stop its own device or detach itself; later frames of the same
    // batch then go nowhere.
    if (callback_ == nullptr || !active_) return;
    encodeRawTouchRecords(frame.contacts, records_);
    const auto count = static_cast<std::int32_t>(frame.contacts.size());
    callback_(id_, count > 0 ? records_.data() : nullptr, count, frame.timestamp, frame.frame);
}

}  // namespace quorvel::linux_backend
