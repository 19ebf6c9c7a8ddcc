// Figures of the intro under a display (Xvfb here): the time from the start
// of the program to the end of the intro (the players built and uploaded)
// and to the first title frame, then the time of one intro frame while the eight players are being built
// on their threads, against the same frame once they are done. Run it from
// the build tree with the cores to compare, for example:
//   taskset -c 0,1 bench/ui/intro_bench
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>
#include <raylib.h>
#include <sched.h>

#include "app/anim_clock.h"
#include "app/command_line.h"
#include "app/startup.h"
#include "characters/character_builder.h"
#include "characters/character_model.h"
#include "sim/match_state.h"
#include "ui/frontend.h"
#include "ui/intro.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

constexpr int kIdleFrames = 120;

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[(size_t)std::min(v.size() - 1, (size_t)(p * (double)(v.size() - 1) + 0.5))];
}

// One intro frame at the given wall-clock time, in milliseconds.
double timedIntroFrame(double t, bool building) {
    const auto f0 = Clock::now();
    animClock = (float)t;
    drawIntro((float)std::fmod(t, 4.4), building);
    return 1000.0 * secondsSince(f0);
}

CharacterModel freshModels[kCharacterCount];

} // namespace

int main() {
    const auto t0 = Clock::now();
    if (!std::getenv("DISPLAY")) {
        std::printf("intro_bench: needs a display (run it under xvfb-run)\n");
        return 0;
    }
    cpu_set_t allowed;
    const int cores = sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? CPU_COUNT(&allowed) : 0;
    CommandLine cmd; // a player's start: visible window, the intro in real time
    if (!startUp(cmd)) return 1;
    std::printf("cores this process may use: %d\n", cores);
    std::printf("start to the end of the intro (players built and uploaded): %.2f s\n", secondsSince(t0));
    frontendFrame(); // the title
    std::printf("start to the first title frame: %.2f s\n", secondsSince(t0));

    // The same eight builds again, this time drawing intro frames as fast as
    // they come.
    SetTargetFPS(0);
    Appearance looks[kCharacterCount];
    for (int t = 0; t < kRosterTeams; ++t)
        for (int p = 0; p < 2; ++p) looks[2 * t + p] = teams[t].players[p].look;
    std::atomic<int> done{0};
    const auto b0 = Clock::now();
    std::vector<std::thread> threads = startCharacterBuilders(freshModels, looks, kCharacterCount, &done);
    std::vector<double> building;
    while (done.load() < kCharacterCount) building.push_back(timedIntroFrame(secondsSince(b0), true));
    const double buildSeconds = secondsSince(b0);
    joinCharacterBuilders(threads);
    std::vector<double> idle;
    for (int i = 0; i < kIdleFrames; ++i) idle.push_back(timedIntroFrame(secondsSince(b0), false));

    std::printf("eight builds took %.2f s while the intro drew %zu frames\n", buildSeconds, building.size());
    std::printf("intro frame while building: median %.2f ms, 95th percentile %.2f ms\n", percentile(building, 0.5),
                percentile(building, 0.95));
    std::printf("intro frame, builds done:   median %.2f ms, 95th percentile %.2f ms\n", percentile(idle, 0.5),
                percentile(idle, 0.95));
    unloadIntro();
    shutDown(false);
    return 0;
}
