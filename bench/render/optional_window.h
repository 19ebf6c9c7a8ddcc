// The main of a benchmark program that times some things anywhere and some
// only with a display: when DISPLAY is set and a hidden window opens,
// withWindow() sets up what needs the GL context and registers those
// benchmarks; then everything registered runs. finishGpu waits for the GPU,
// so that a timed iteration counts its work and not just the queueing.
#pragma once
#include <cstdlib>
#include <benchmark/benchmark.h>
#include <raylib.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

// Call only with the window open.
inline void finishGpu() {
    using FinishFn = void (*)();
    static const auto glFinish = (FinishFn)glfwGetProcAddress("glFinish");
    if (glFinish) glFinish();
}

template <typename WithWindow>
int runBenchmarksWithOptionalWindow(int argc, char** argv, int width, int height, const char* title,
                                    WithWindow withWindow) {
    bool window = std::getenv("DISPLAY") != nullptr;
    if (window) {
        SetTraceLogLevel(LOG_WARNING);
        SetConfigFlags(FLAG_WINDOW_HIDDEN);
        InitWindow(width, height, title);
        window = IsWindowReady();
    }
    if (window) withWindow();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (window) CloseWindow();
    return 0;
}
