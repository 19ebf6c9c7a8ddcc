// Linked into every test program that opens a window: without an X display
// raylib's window fails and the first GL call crashes, so the program ends
// before any test with one line that names what is missing. (A failure in
// gtest's set-up would mark the tests skipped, which ctest counts as no
// failure.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// After gtest: Xlib's macros (None, Bool, Status) would break its headers.
#include <X11/Xlib.h>

namespace {

class DisplayCheck : public testing::Environment {
public:
    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) fail("DISPLAY is not set");
        Display* display = XOpenDisplay(name);
        if (!display) fail((std::string("can't open the X display \"") + name + "\"").c_str());
        XCloseDisplay(display);
    }

private:
    [[noreturn]] static void fail(const char* what) {
        std::fprintf(stderr, "no display: %s; run the window tests under xvfb-run -a\n", what);
        std::exit(1);
    }
};

[[maybe_unused]] testing::Environment* const displayCheck = testing::AddGlobalTestEnvironment(new DisplayCheck);

} // namespace
