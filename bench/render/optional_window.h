// The main of a benchmark program that times some things anywhere and some
// only with a display: when DISPLAY is set and a hidden window opens,
// withWindow() sets up what needs the GL context and registers those
// benchmarks; then everything registered runs.
#pragma once
#include <cstdlib>
#include <benchmark/benchmark.h>
#include <raylib.h>

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
