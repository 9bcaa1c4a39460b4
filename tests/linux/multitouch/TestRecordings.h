#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>

#include "platform/linux/multitouch/EvemuRecording.h"

namespace quorvel::testing {

// A recording from the shared test data. Missing data is a failure, never a skip.
inline linux_backend::EvemuRecording loadRecording(const std::string& relativePath)
{
    const std::filesystem::path path = std::filesystem::path(QUORVEL_TESTDATA_DIR) / "touchpads" / relativePath;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("test data missing: " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    auto parsed = linux_backend::parseEvemuRecording(text.str());
    if (const auto* error = std::get_if<linux_backend::EvemuParseError>(&parsed)) {
        throw std::runtime_error(path.string() + ":" + std::to_string(error->line) + ": " + error->message);
    }
    return std::get<linux_backend::EvemuRecording>(std::move(parsed));
}

}  // namespace quorvel::testing
