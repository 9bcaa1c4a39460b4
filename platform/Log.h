#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <utility>

namespace quorvel::platform {

enum class LogLevel { info, error };

// Where log lines go (journald, stderr, a test's capture).
class LogSink {
public:
    virtual ~LogSink() = default;
    // `format` is the fixed message with its printf placeholders; `message` the
    // finished line.
    virtual void write(LogLevel level, std::string_view subsystem, std::string_view category,
                       std::string_view format, std::string_view message) = 0;
};

// A sink that keeps nothing, for services whose owner gives them no log.
LogSink& discardingLogSink();

// A log handle for one subsystem and category, printf-style.
class Logger {
public:
    Logger(LogSink& sink, std::string subsystem, std::string category)
        : sink_(&sink), subsystem_(std::move(subsystem)), category_(std::move(category))
    {
    }

    void info(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void error(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    void write(LogLevel level, const char* format, va_list arguments) const __attribute__((format(printf, 3, 0)));

    LogSink* sink_;
    std::string subsystem_;
    std::string category_;
};

}  // namespace quorvel::platform
