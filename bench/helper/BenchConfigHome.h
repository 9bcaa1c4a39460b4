#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quorvel::bench {

// A temporary XDG_CONFIG_HOME whose support directory holds `configuration`.
class BenchConfigHome {
public:
    explicit BenchConfigHome(const std::string& configuration)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        std::filesystem::create_directories(root_ / "Quorvel");
        std::ofstream(root_ / "Quorvel" / "configuration.json", std::ios::binary) << configuration;
    }
    ~BenchConfigHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    BenchConfigHome(const BenchConfigHome&) = delete;
    BenchConfigHome& operator=(const BenchConfigHome&) = delete;

private:
    std::filesystem::path root_;
};

// A double tap in the top-left corner runs a shortcut; no corner has a triple-tap action,
// so a double tap is delivered as soon as it is recognised.
inline const char* shortcutOnTopLeftDoubleTap = R"({
  "isEnabled": true,
  "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                 "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
  "assignments": [
    {"corner": "topLeft",
     "doubleTap": {"id": "00000000-0000-4000-8000-000000000001",
                   "kind": {"runShortcut": {"name": "bench"}}, "isEnabled": true}},
    {"corner": "topRight",
     "doubleTap": {"id": "00000000-0000-4000-8000-000000000002",
                   "kind": {"media": {"command": "playPause"}}, "isEnabled": true}}
  ]
})";

}  // namespace quorvel::bench
