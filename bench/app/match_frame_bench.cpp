// Figures of a running game under a display (Xvfb here): the time from
// start-up to the first match frame of a headless run, then the frames per
// second of a running all-CPU match at each graphics level. Prints figures;
// run it from the build tree: bench/app/match_frame_bench
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <raylib.h>

#include "app/command_line.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "app/startup.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/frontend.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

constexpr int kWarmFrames = 30;
constexpr int kMeasuredFrames = 180;

} // namespace

int main() {
    if (!std::getenv("DISPLAY")) {
        std::printf("match_frame_bench: needs a display (run it under xvfb-run)\n");
        return 0;
    }
    const auto t0 = Clock::now();
    CommandLine cmd;
    cmd.simSeconds = 1; // a headless run: hidden window, no intro, no settings saved
    headlessRun = true;
    demoMode = true;
    if (!startUp(cmd)) return 1;
    changeScreen(SCREEN_LOADING);
    frontendFrame(); // loading screen, then the match starts
    frontendFrame(); // the first match frame
    std::printf("start-up to first match frame: %.2f s\n", secondsSince(t0));

    SetTargetFPS(0);
    for (int quality = 0; quality <= 2; ++quality) {
        settings.graphics = quality;
        setRenderQuality(renderer, quality);
        for (int i = 0; i < kWarmFrames; ++i) frontendFrame();
        const auto t = Clock::now();
        for (int i = 0; i < kMeasuredFrames; ++i) frontendFrame();
        const double s = secondsSince(t);
        std::printf("graphics %d (scene %dx%d): %.1f frames per second, %.1f ms per frame\n", quality,
                    renderer.sceneTarget.texture.width, renderer.sceneTarget.texture.height, kMeasuredFrames / s,
                    1000.0 * s / kMeasuredFrames);
    }
    shutDown(false);
    return 0;
}
