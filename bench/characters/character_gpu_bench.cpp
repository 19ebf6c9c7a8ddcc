// The GPU side of a character, with a display (run under Xvfb): skinning one
// character into its dynamic vertex buffers, as every frame does for every
// player (target: under 1 ms, Release), and the one-time upload at start-up.
// The GPU's work is included (glFinish after each iteration).
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/release/bench/characters/character_gpu_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>
#include <raylib.h>

#include "bench/render/optional_window.h"
#include "characters/character_builder.h"
#include "characters/character_drawing.h"
#include "characters/character_upload.h"
#include "characters/pose_generators.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/fonts.h"

namespace {

std::unique_ptr<CharacterModel> model;
std::vector<uint8_t> headPixels; // kept to upload again

// The heaviest roster character: the most vertices to skin.
void buildBenchCharacter() {
    initTeams();
    model = std::make_unique<CharacterModel>();
    buildCharacter(*model, teams[1].players[1].look);
    headPixels = model->headPixels;
    uploadCharacterModel(*model);
}

void BM_SkinCharacterModel(benchmark::State& state) {
    Pose pose;
    poseRun(pose, model->height, 0.7f, 5.0f, 1, 0);
    Skeleton posed;
    poseSkeleton(posed, bodyMeasures(*model), pose, {1, 0, 4}, 0.6f, true);
    for (auto _ : state) {
        skinCharacterModel(*model, posed);
        finishGpu();
    }
    state.counters["vertices"] = model->bodyMesh.vertexCount + model->jerseyMesh.vertexCount;
    state.SetLabel("target: under 1 ms");
}

void BM_UploadCharacterModel(benchmark::State& state) {
    for (auto _ : state) {
        unloadCharacterModel(*model);
        model->headPixels = headPixels;
        uploadCharacterModel(*model);
        finishGpu();
    }
}

void registerWindowBenchmarks() {
    benchmark::RegisterBenchmark("BM_SkinCharacterModel", BM_SkinCharacterModel)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_UploadCharacterModel", BM_UploadCharacterModel)->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    return runBenchmarksWithOptionalWindow(argc, argv, 320, 180, "korvalo character bench", [] {
        initRenderer(renderer);
        loadFonts();
        buildBenchCharacter();
        registerWindowBenchmarks();
    });
}
