// The arena's start-up cost and the match world pass. The geometry runs
// anywhere; with a display (run under Xvfb) a window is opened and the whole
// build (paint, upload, mipmaps) and one drawMatchWorld per iteration are
// timed, the GPU's work included.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/release/bench/render/arena_bench
#include <benchmark/benchmark.h>
#include <raylib.h>

#include "app/match_start.h"
#include "app/program_random.h"
#include "app/settings.h"
#include "bench/render/optional_window.h"
#include "characters/shared_meshes.h"
#include "render/arena.h"
#include "render/arena_geometry.h"
#include "render/match_world.h"
#include "render/procedural_textures.h"
#include "sim/camera.h"

namespace {

void BM_BuildArenaGeometry(benchmark::State& state) {
    int spectators = 0;
    for (auto _ : state) {
        programSrand(1234);
        const ArenaGeometry g = buildArenaGeometry({96, 44, 212, 255}, kCourtStartZ);
        spectators = vertexCount(g.crowd) / 6;
        benchmark::DoNotOptimize(g.stands.positions.data());
    }
    state.counters["spectators"] = spectators;
}
BENCHMARK(BM_BuildArenaGeometry)->Unit(benchmark::kMillisecond);

void BM_BuildArena(benchmark::State& state) {
    for (auto _ : state) {
        applyHomeTeam(0);
        finishGpu();
    }
}

void BM_DrawMatchWorld(benchmark::State& state) {
    setRenderQuality(renderer, (int)state.range(0));
    MatchState s;
    initMatchState(s, 0, 1, 0, nullptr, &arena, 11, 1, MatchSettings{});
    s.phaseTimer = 2.5f; // the first-person view after the opening
    updateMatchCamera(s, 1.0f / 60.0f, true);
    for (auto _ : state) {
        drawMatchWorld(s);
        finishGpu();
    }
    state.SetLabel(TextFormat("scene %dx%d", renderer.sceneWidth, renderer.sceneHeight));
}

void registerWindowBenchmarks() {
    benchmark::RegisterBenchmark("BM_BuildArena", BM_BuildArena)->Unit(benchmark::kMillisecond)->MinTime(3.0);
    benchmark::RegisterBenchmark("BM_DrawMatchWorld", BM_DrawMatchWorld)
        ->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

} // namespace

int main(int argc, char** argv) {
    return runBenchmarksWithOptionalWindow(argc, argv, 1280, 720, "korvalo arena bench", [] {
        settings = Settings{};
        initRenderer(renderer);
        initSharedMeshes();
        initTeams();
        applyHomeTeam(0);
        registerWindowBenchmarks();
    });
}
