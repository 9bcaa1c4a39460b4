#pragma once

#include <gtest/gtest.h>
#include <glib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace quorvel::testing {

// A private Xvfb server, stopped with its owner; nothing when it does not come up.
struct XvfbServer {
    static std::unique_ptr<XvfbServer> start();
    ~XvfbServer();
    pid_t pid;
    std::string displayName;
};

// Runs `context` until `done` holds or `limit` passes; true when `done` held.
bool iterateUntil(GMainContext* context, const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(5));

// A suite on one server, with a fresh main context for every test.
class XvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = XvfbServer::start(); }
    static void TearDownTestSuite() { server.reset(); }
    ~XvfbTest() override { g_main_context_unref(context); }
    static inline std::unique_ptr<XvfbServer> server;
    GMainContext* context = g_main_context_new();
};

}  // namespace quorvel::testing
