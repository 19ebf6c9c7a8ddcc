// Linked into every test program that opens a window.
//
// Before any test it makes sure there is an X display and stays connected
// to it until the program ends. An Xvfb started without -noreset (as plain
// `xvfb-run -a` starts it) resets whenever its last client leaves, and a
// client still connecting then is cut off: one test program ending as the
// next one starts, or a check that connects and leaves just before the
// window opens, would make that window fail. A connection cut by a reset is
// simply tried again; once one stands, the server cannot reset under this
// program's window, nor under the games it starts.
//
// Without a display the program ends before any test with one line that
// names what is missing. (A failure in gtest's set-up would mark the tests
// skipped, which ctest counts as no failure.)
#include "tests/test_window.h"

#include <gtest/gtest.h>
#include <raylib.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// A reset takes a few milliseconds; a busy machine may stretch it.
constexpr auto kConnectFor = std::chrono::seconds(10);
constexpr auto kRetryAfter = std::chrono::milliseconds(50);
constexpr const char* kGlfwError = "Description: ";

const char* displayName() {
    const char* name = std::getenv("DISPLAY");
    return name && *name ? name : nullptr;
}

// A connection that has had one answer from the server: a reset that was
// already under way when it connected would have ended it by then.
xcb_connection_t* connectOnce(const char* name) {
    xcb_connection_t* c = xcb_connect(name, nullptr);
    if (!xcb_connection_has_error(c)) {
        if (xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)) {
            std::free(reply);
            if (!xcb_connection_has_error(c)) return c;
        }
    }
    xcb_disconnect(c);
    return nullptr;
}

class DisplayCheck : public testing::Environment {
public:
    void SetUp() override {
        const char* name = displayName();
        if (!name) fail("DISPLAY is not set");
        const auto until = std::chrono::steady_clock::now() + kConnectFor;
        while (!(held_ = connectOnce(name))) {
            if (std::chrono::steady_clock::now() >= until)
                fail((std::string("can't open the X display \"") + name + "\"").c_str());
            std::this_thread::sleep_for(kRetryAfter);
        }
        // Held, never used, until the program ends.
    }

private:
    [[noreturn]] static void fail(const char* what) {
        std::fprintf(stderr, "no display: %s; run the window tests under xvfb-run -a\n", what);
        std::exit(1);
    }

    xcb_connection_t* held_ = nullptr;
};

[[maybe_unused]] testing::Environment* const displayCheck = testing::AddGlobalTestEnvironment(new DisplayCheck);

// The window system's words while the window opens: raylib passes GLFW's
// errors on as warnings.
std::string windowProblem;

void keepWarning(int level, const char* text, va_list args) {
    if (level < LOG_WARNING) return;
    char line[1024];
    std::vsnprintf(line, sizeof line, text, args);
    const std::string warning = line;
    const size_t at = warning.find(kGlfwError);
    if (at != std::string::npos) windowProblem = warning.substr(at + std::strlen(kGlfwError));
    else if (windowProblem.empty()) windowProblem = warning;
}

} // namespace

void openTestWindow(int width, int height, const char* title, unsigned flags) {
    SetTraceLogLevel(LOG_WARNING);
    SetTraceLogCallback(keepWarning);
    windowProblem.clear();
    SetConfigFlags(flags);
    InitWindow(width, height, title);
    SetTraceLogCallback(nullptr);
    if (IsWindowReady()) return;
    const char* name = displayName();
    std::fprintf(stderr, "can't open a window on display \"%s\": %s\n", name ? name : "",
                 windowProblem.empty() ? "the window system gave no reason" : windowProblem.c_str());
    std::exit(1);
}
