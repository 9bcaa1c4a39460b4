#pragma once

#include <string>
#include <vector>

#include "platform/Log.h"

namespace quorvel::testing {

struct LogRecord {
    platform::LogLevel level;
    std::string subsystem;
    std::string category;
    std::string format;
    std::string message;
    friend bool operator==(const LogRecord&, const LogRecord&) = default;
};

class CapturingLog : public platform::LogSink {
public:
    void write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view format, std::string_view message) override
    {
        records.push_back(LogRecord{level, std::string(subsystem), std::string(category),
                                    std::string(format), std::string(message)});
    }
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& r : records) out.push_back(r.message);
        return out;
    }

    std::vector<LogRecord> records;
};

}  // namespace quorvel::testing
