// Figures of the title screen (the menu open over the posed lineup) under a
// display (Xvfb here), at each graphics level: the whole frame waited out on
// the GPU, the main thread's CPU time in it (the GL driver's share included),
// the frame without its text and menu, and the game's own CPU work: posing
// and skinning the figures, and laying out the title's text and menu. Prints
// figures; run it from the build tree: bench/ui/title_frame_bench
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <raylib.h>
#include <rlgl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "app/anim_clock.h"
#include "app/command_line.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "app/startup.h"
#include "characters/character_drawing.h"
#include "render/renderer.h"
#include "ui/frontend.h"
#include "ui/lineup.h"
#include "ui/screens.h"

namespace {

constexpr int kWarmFrames = 5;
constexpr int kMeasuredFrames = 30;
constexpr int kPoseRounds = 200;

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double threadCpuSeconds() {
    timespec t = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec + 1e-9 * (double)t.tv_nsec;
}

void finishGpu() {
    using FinishFn = void (*)();
    static const auto glFinish = (FinishFn)glfwGetProcAddress("glFinish");
    if (glFinish) glFinish();
}

struct FrameCost {
    double wallMs = 0, cpuMs = 0;
};

// Milliseconds per title frame, with the GPU waited out after each.
FrameCost titleFrames(bool withUi) {
    cleanTitle = !withUi;
    for (int i = 0; i < kWarmFrames; ++i) frontendFrame();
    finishGpu();
    const double w0 = wallSeconds(), c0 = threadCpuSeconds();
    for (int i = 0; i < kMeasuredFrames; ++i) {
        frontendFrame();
        finishGpu();
    }
    cleanTitle = false;
    return {1000 * (wallSeconds() - w0) / kMeasuredFrames, 1000 * (threadCpuSeconds() - c0) / kMeasuredFrames};
}

// CPU milliseconds per frame to pose and skin the title's figures.
double poseAndSkinMs() {
    const LineupShot shot = menuLineup(-1, false, animClock);
    const double c0 = threadCpuSeconds();
    for (int round = 0; round < kPoseRounds; ++round)
        for (const LineupEntry& e : shot.entries) skinCharacterModel(*e.model, poseLineupEntry(e, animClock).skeleton);
    finishGpu();
    return 1000 * (threadCpuSeconds() - c0) / kPoseRounds;
}

// Main-thread CPU milliseconds to pose, skin and issue the lineup's three
// passes (the GL driver's work on this thread included).
double lineupPassesMs() {
    double cpu = 0;
    for (int i = 0; i < kMeasuredFrames; ++i) {
        const double c0 = threadCpuSeconds();
        drawMenuBackdrop3D(animClock);
        rlDrawRenderBatchActive();
        cpu += threadCpuSeconds() - c0;
        finishGpu();
    }
    return 1000 * cpu / kMeasuredFrames;
}

// CPU milliseconds to lay out the title's words and menu on the canvas, and
// the milliseconds until the GPU has drawn them.
FrameCost titleOverlay() {
    double cpu = 0;
    const double w0 = wallSeconds();
    for (int i = 0; i < kMeasuredFrames; ++i) {
        beginUi(renderer, BLACK);
        const double c0 = threadCpuSeconds();
        drawTitleOverlay();
        rlDrawRenderBatchActive();
        cpu += threadCpuSeconds() - c0;
        endUi(renderer);
        finishGpu();
    }
    return {1000 * (wallSeconds() - w0) / kMeasuredFrames, 1000 * cpu / kMeasuredFrames};
}

} // namespace

int main() {
    if (!std::getenv("DISPLAY")) {
        std::printf("title_frame_bench: needs a display (run it under xvfb-run)\n");
        return 0;
    }
    CommandLine cmd;
    cmd.simSeconds = 1; // a headless run: hidden window, no intro, no settings saved
    headlessRun = true;
    if (!startUp(cmd)) return 1;
    SetTargetFPS(0);
    changeScreen(SCREEN_TITLE);
    titleMenuOpen = true;
    std::printf("posing and skinning the two figures: %.2f ms CPU per frame\n", poseAndSkinMs());
    for (int quality = 0; quality <= 2; ++quality) {
        settings.graphics = quality;
        setRenderQuality(renderer, quality);
        const FrameCost full = titleFrames(true), lineup = titleFrames(false);
        std::printf("graphics %d (scene %dx%d): title frame %.1f ms, main thread CPU %.1f ms (lineup passes "
                    "%.1f ms); without text and menu %.1f ms\n",
                    quality, renderer.sceneTarget.texture.width, renderer.sceneTarget.texture.height, full.wallMs,
                    full.cpuMs, lineupPassesMs(), lineup.wallMs);
    }
    const FrameCost overlay = titleOverlay();
    std::printf("title text and menu: %.2f ms CPU to lay out, %.1f ms drawn\n", overlay.cpuMs, overlay.wallMs);
    shutDown(false);
    return 0;
}
