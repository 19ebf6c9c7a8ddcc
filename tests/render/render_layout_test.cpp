// The window-independent arithmetic of the renderer: where the 16:9 canvas
// lands in a window, and the scene target size of each graphics quality.
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
    expectRect(letterboxRect(1920, 1080), 0, 0, 1920, 1080);   // 16:9 fills
    expectRect(letterboxRect(1920, 1200), 0, 60, 1920, 1080);  // taller: bars above and below
    expectRect(letterboxRect(2560, 1080), 320, 0, 1920, 1080); // wider: bars left and right
    expectRect(letterboxRect(640, 360), 0, 0, 640, 360);       // the minimum window
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
    EXPECT_EQ(sceneSizeForQuality(0).width, 2560);
    EXPECT_EQ(sceneSizeForQuality(0).height, 1440);
    EXPECT_EQ(sceneSizeForQuality(1).width, 1920);
    EXPECT_EQ(sceneSizeForQuality(1).height, 1080);
    EXPECT_EQ(sceneSizeForQuality(2).width, 1280);
    EXPECT_EQ(sceneSizeForQuality(2).height, 720);
    for (int q : {-5, -1, 3, 7, 1000}) { // anything outside 0..1 is the smallest target
        EXPECT_EQ(sceneSizeForQuality(q).width, 1280) << q;
        EXPECT_EQ(sceneSizeForQuality(q).height, 720) << q;
    }
}

} // namespace
