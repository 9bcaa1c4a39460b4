#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace quorvel::platform {

namespace {

class DiscardingLogSink final : public LogSink {
public:
    void write(LogLevel, std::string_view, std::string_view, std::string_view, std::string_view) override {}
};

}  // namespace

LogSink& discardingLogSink()
{
    static DiscardingLogSink sink;  // stateless
    return sink;
}

void Logger::info(const char* format, ...) const
{
    va_list arguments;
    va_start(arguments, format);
    write(LogLevel::info, format, arguments);
    va_end(arguments);
}

void Logger::error(const char* format, ...) const
{
    va_list arguments;
    va_start(arguments, format);
    write(LogLevel::error, format, arguments);
    va_end(arguments);
}

void Logger::write(LogLevel level, const char* format, va_list arguments) const
{
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string message;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
        message.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    sink_->write(level, subsystem_, category_, format, message);
}

}  // namespace quorvel::platform
