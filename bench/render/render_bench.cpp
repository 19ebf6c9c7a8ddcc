// Milliseconds per frame of the renderer's pass chain (shadow, reflection,
// scene, post, present) at each graphics quality, on whatever GL the display
// gives (Mesa's llvmpipe under Xvfb). The scene is small and fixed: a floor
// and a dozen lit objects, drawn into the shadow map, mirrored and direct.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/release/bench/render/render_bench
#include <benchmark/benchmark.h>
#include <raylib.h>
#include <raymath.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "render/renderer.h"
#include "tests/render/sample_lighting.h"

namespace {

struct BenchScene {
    Mesh floor = {};
    Mesh cube = {};
    Mesh sphere = {};
};

BenchScene& scene() {
    static BenchScene s = [] {
        SetTraceLogLevel(LOG_WARNING);
        InitWindow(1280, 720, "render bench");
        initRenderer(renderer);
        BenchScene b;
        b.floor = GenMeshPlane(30, 30, 1, 1);
        b.cube = GenMeshCube(1, 1, 1);
        b.sphere = GenMeshSphere(0.5f, 24, 24);
        setLights(renderer, sampleLighting());
        return b;
    }();
    return s;
}

void drawObjects(const BenchScene& b) {
    MaterialParams m;
    m.matA = {0.5f, 32, 0.3f, 0};
    for (int i = 0; i < 12; ++i) {
        const float x = (float)(i % 4) * 2.5f - 3.75f, z = (float)(i / 4) * 2.5f - 2.5f;
        const Mesh& mesh = i % 2 ? b.cube : b.sphere;
        drawMeshLit(renderer, mesh, MatrixTranslate(x, 0.6f + 0.3f * (float)(i % 3), z), {200, 120, 80, 255}, m,
                    Texture2D{});
    }
}

void BM_PassChain(benchmark::State& state) {
    const BenchScene& b = scene();
    setRenderQuality(renderer, (int)state.range(0));
    using FinishFn = void (*)();
    static const auto glFinish = (FinishFn)glfwGetProcAddress("glFinish");
    const Camera3D camera = {{0, 6, 12}, {0, 0.5f, 0}, {0, 1, 0}, 50, CAMERA_PERSPECTIVE};
    MaterialParams floorMat;
    floorMat.matA = {0.45f, 110, 0, 0};
    floorMat.matB = {0.03f, 0, 0, 0.82f};
    for (auto _ : state) {
        beginShadowPass(renderer, {0, 0, 4.5f}, {0.3f, 1.0f, 0.45f}, 24);
        drawObjects(b);
        endShadowPass(renderer);
        beginScenePass(renderer, camera, {8, 8, 10, 255});
        beginReflectionPass(renderer);
        drawObjects(b);
        endReflectionPass(renderer);
        drawMeshLit(renderer, b.floor, MatrixIdentity(), WHITE, floorMat, Texture2D{});
        drawObjects(b);
        endScenePass(renderer);
        renderPost(renderer, 1.0f, 0.95f);
        endUi(renderer);
        presentFrame(renderer);
        glFinish(); // count the GPU's work, not just the queueing
    }
    state.SetLabel(TextFormat("scene %dx%d", renderer.sceneWidth, renderer.sceneHeight));
}

BENCHMARK(BM_PassChain)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
