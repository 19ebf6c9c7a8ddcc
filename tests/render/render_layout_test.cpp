// Where the 16:9 canvas lands in a window, and each quality's scene size.
#include <gtest/gtest.h>

#include "render/renderer.h"

namespace {

void expectRect(Rectangle r, float x, float y, float w, float h) {
    EXPECT_NEAR(r.x, x, 1e-3f);
    EXPECT_NEAR(r.y, y, 1e-3f);
    EXPECT_NEAR(r.width, w, 1e-3f);
    EXPECT_NEAR(r.height, h, 1e-3f);
}

TEST(Letterbox, FitsTheCanvasCentredWithBars) {
    expectRect(letterboxRect(1280, 720), 0, 0, 1280, 720);     // exact size: scale 1, no bars
    expectRect(letterboxRect(1920, 1200), 0, 60, 1920, 1080);  // taller: bars above and below
    expectRect(letterboxRect(2560, 1080), 320, 0, 1920, 1080); // wider: bars left and right
    expectRect(letterboxRect(1000, 1000), 0, 218.75f, 1000, 562.5f);
    expectRect(letterboxRect(800, 300), 133.333f, 0, 533.333f, 300);
}

TEST(Letterbox, AlwaysShowsTheWholeCanvasAtItsAspect) {
    for (int w = 100; w <= 4000; w += 137) {
        for (int h = 100; h <= 3000; h += 113) {
            const Rectangle r = letterboxRect(w, h);
            EXPECT_LE(r.width, w + 1e-2f);
            EXPECT_LE(r.height, h + 1e-2f);
            EXPECT_NEAR(r.width / r.height, 16.0f / 9.0f, 1e-3f);
            EXPECT_NEAR(r.x * 2 + r.width, (float)w, 1e-2f);
            EXPECT_NEAR(r.y * 2 + r.height, (float)h, 1e-2f);
            EXPECT_TRUE(r.x < 0.01f || r.y < 0.01f) << w << "x" << h; // touches two window edges
        }
    }
}

TEST(RenderQuality, MapsToSceneTargetSize) {
    // Anything outside 0..1 is the smallest target.
    const int cases[][3] = {{0, 2560, 1440}, {1, 1920, 1080}, {2, 1280, 720}, {-5, 1280, 720},
                            {-1, 1280, 720}, {3, 1280, 720},  {7, 1280, 720}, {1000, 1280, 720}};
    for (const auto& c : cases) {
        EXPECT_EQ(sceneSizeForQuality(c[0]).width, c[1]) << c[0];
        EXPECT_EQ(sceneSizeForQuality(c[0]).height, c[2]) << c[0];
    }
}

} // namespace
