// Start-up content generation: each texture painter and each mesh builder.
// The pixel and vertex work runs anywhere; with a display (run under Xvfb)
// it also opens a hidden window and times the text steps and the full
// paint-and-upload of every texture.
#include <benchmark/benchmark.h>

#include "bench/render/optional_window.h"
#include "characters/shared_meshes.h"
#include "render/image_paint.h"
#include "render/parametric_meshes.h"
#include "render/procedural_textures.h"

namespace {

constexpr Color kPrimary = {200, 30, 40, 255};
constexpr Color kSecondary = {20, 60, 210, 255};

template <typename Paint> void timePainter(benchmark::State& state, Paint paint) {
    for (auto _ : state) {
        Image image = paint();
        benchmark::DoNotOptimize(image.data);
        UnloadImage(image);
    }
}

template <typename Build> void timeBuilder(benchmark::State& state, Build build) {
    int vertices = 0;
    for (auto _ : state) {
        MeshBuilder b = build();
        vertices = vertexCount(b);
        benchmark::DoNotOptimize(b.positions.data());
    }
    state.counters["vertices"] = vertices;
}

void BM_PaintCourt(benchmark::State& s) { timePainter(s, [] { return paintCourtImage(kPrimary, kSecondary); }); }
void BM_PaintBall(benchmark::State& s) { timePainter(s, paintBallImage); }
void BM_PaintCrowdAtlas(benchmark::State& s) { timePainter(s, paintCrowdAtlasImage); }
void BM_PaintJersey(benchmark::State& s) { timePainter(s, [] { return paintJerseyImage(kPrimary, kSecondary); }); }
void BM_PaintBlobShadow(benchmark::State& s) { timePainter(s, paintBlobShadowImage); }
BENCHMARK(BM_PaintCourt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintBall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintCrowdAtlas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintJersey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintBlobShadow)->Unit(benchmark::kMicrosecond);

void BM_BuildSharedMeshes(benchmark::State& s) {
    for (auto _ : s) benchmark::DoNotOptimize(buildSharedMeshGeometry());
}
void BM_BuildSphere(benchmark::State& s) { timeBuilder(s, [] { return buildSphere(1, 20, 28); }); }
void BM_BuildUnitEllipsoid(benchmark::State& s) { timeBuilder(s, [] { return buildEllipsoid(1, 1, 14, 18); }); }
void BM_BuildBoxyEllipsoid(benchmark::State& s) { timeBuilder(s, [] { return buildEllipsoid(0.35f, 0.35f, 10, 16); }); }
void BM_BuildTorus(benchmark::State& s) { timeBuilder(s, [] { return buildTorus(0.2286f, 0.011f, 40, 8); }); }
void BM_BuildRing(benchmark::State& s) { timeBuilder(s, [] { return buildRing(0.42f, 0.5f, 40); }); }
void BM_BuildLatheCylinder(benchmark::State& s) {
    timeBuilder(s, [] { return buildLathe({{0, -0.5f}, {1, -0.5f}, {1, -0.49f}, {1, 0.49f}, {1, 0.5f}, {0, 0.5f}}, 18, 1, 1, 0); });
}
void BM_BuildTaperedCapsule(benchmark::State& s) { timeBuilder(s, [] { return buildTaperedCapsule(0.6f, 0.1f, 0.14f, 16, 1); }); }
// The arena's stands are a few thousand boxes and beams: 18 steps of 30 m with 54 seat backs each.
void BM_BuildStandBoxes(benchmark::State& s) {
    timeBuilder(s, [] {
        MeshBuilder b;
        for (int row = 0; row < 18; row++) {
            addBox(b, {0, 0.24f * row, 0.86f * row}, {30, 0.48f * row + 0.35f, 0.86f}, {30, 31, 36, 255}, {0, 0}, true);
            for (int k = 0; k < 54; k++)
                addBeam(b, {0.55f * k - 15, 0.48f * row + 0.65f, 0.86f * row + 0.32f}, {0.46f, 0.5f, 0.08f}, 3.14159f,
                        {70, 10, 14, 255}, {0, 0});
        }
        return b;
    });
}
BENCHMARK(BM_BuildSharedMeshes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildSphere)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildUnitEllipsoid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildBoxyEllipsoid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildTorus)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildRing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildLatheCylinder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildTaperedCapsule)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildStandBoxes)->Unit(benchmark::kMicrosecond);

// Need the window: the built-in font and the GPU.
void BM_PaintCourtText(benchmark::State& s) {
    Image court = paintCourtImage(kPrimary, kSecondary);
    for (auto _ : s) paintCourtText(court, "KORVALO CITY", Font{});
    UnloadImage(court);
}
void BM_PaintJerseyText(benchmark::State& s) {
    Image jersey = paintJerseyImage(kPrimary, kSecondary);
    for (auto _ : s) paintJerseyText(jersey, kSecondary, WHITE, 23, "KORVALO", "VANTERO", Font{});
    UnloadImage(jersey);
}
void BM_PaintAdBoard(benchmark::State& s) { timePainter(s, paintAdBoardImage); }
void BM_PaintBanner(benchmark::State& s) {
    timePainter(s, [] { return paintBannerImage(kPrimary, WHITE, "CHAMPS", "2024"); });
}
template <typename Make> void timeUpload(benchmark::State& state, Make make) {
    for (auto _ : state) {
        Texture2D t = make();
        benchmark::DoNotOptimize(t.id);
        UnloadTexture(t);
    }
}
void BM_MakeCourtTexture(benchmark::State& s) {
    timeUpload(s, [] { return makeCourtTexture(kPrimary, kSecondary, "KORVALO CITY", nullptr, nullptr, nullptr, Font{}); });
}
void BM_MakeBallTexture(benchmark::State& s) { timeUpload(s, makeBallTexture); }
void BM_MakeCrowdAtlas(benchmark::State& s) { timeUpload(s, [] { return makeCrowdAtlas(nullptr, nullptr); }); }
void BM_MakeJerseyTexture(benchmark::State& s) {
    timeUpload(s, [] { return makeJerseyTexture(kPrimary, kSecondary, WHITE, 23, "KORVALO", "VANTERO", Font{}); });
}
void BM_MakeAdBoardTexture(benchmark::State& s) { timeUpload(s, makeAdBoardTexture); }
void BM_MakeBannerTexture(benchmark::State& s) {
    timeUpload(s, [] { return makeBannerTexture(kPrimary, WHITE, "CHAMPS", "2024"); });
}

void registerWindowBenchmarks() {
    benchmark::RegisterBenchmark("BM_PaintCourtText", BM_PaintCourtText)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PaintJerseyText", BM_PaintJerseyText)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PaintAdBoard", BM_PaintAdBoard)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PaintBanner", BM_PaintBanner)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MakeCourtTexture", BM_MakeCourtTexture)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MakeBallTexture", BM_MakeBallTexture)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MakeCrowdAtlas", BM_MakeCrowdAtlas)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MakeJerseyTexture", BM_MakeJerseyTexture)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MakeAdBoardTexture", BM_MakeAdBoardTexture)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MakeBannerTexture", BM_MakeBannerTexture)->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    return runBenchmarksWithOptionalWindow(argc, argv, 320, 180, "korvalo content bench", registerWindowBenchmarks);
}
