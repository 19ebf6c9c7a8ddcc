// Under a hidden window: textures upload at their sizes, the text steps print
// with the built-in font, meshes upload with the right attributes, and the
// painted images are written as PNG for a reviewer.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <gtest/gtest.h>

#include "render/image_paint.h"
#include "render/mesh_builder.h"
#include "render/procedural_textures.h"
#include "tests/test_window.h"

namespace {

class Uploads : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow(320, 180, "korvalo texture test", FLAG_WINDOW_HIDDEN);
    }
    static void TearDownTestSuite() { CloseWindow(); }
};

std::string outputPath(const char* name) { return std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + name; }

// Pixels that differ between the same rectangle of two images.
int changedPixels(const Image& a, const Image& b, Rectangle r) {
    Image x = ImageFromImage(a, r), y = ImageFromImage(b, r);
    int n = 0;
    for (int i = 0; i < x.width * x.height; i++) n += std::memcmp((const Color*)x.data + i, (const Color*)y.data + i, 4) != 0;
    UnloadImage(x);
    UnloadImage(y);
    return n;
}

void expectTexture(Texture2D t, int w, int h, bool mipmapped, const char* what) {
    EXPECT_NE(t.id, 0u) << what;
    EXPECT_EQ(t.width, w) << what;
    EXPECT_EQ(t.height, h) << what;
    if (mipmapped) { EXPECT_GT(t.mipmaps, 1) << what; }
    UnloadTexture(t);
}

} // namespace

TEST_F(Uploads, EveryTextureUploadsAtItsSize) {
    expectTexture(makeBallTexture(), 512, 256, true, "ball");
    float width = 0, length = 0, startZ = 0;
    expectTexture(makeCourtTexture({200, 30, 40, 255}, {20, 60, 210, 255}, "KORVALO", &width, &length, &startZ, Font{}),
                  2048, 3150, true, "court");
    EXPECT_EQ(width, 26);
    EXPECT_EQ(length, 40);
    EXPECT_FLOAT_EQ(startZ, -7.27f);
    int columns = 0, rows = 0;
    expectTexture(makeCrowdAtlas(&columns, &rows), 512, 768, true, "crowd");
    EXPECT_EQ(columns, 8);
    EXPECT_EQ(rows, 6);
    expectTexture(makeBannerTexture({20, 40, 120, 255}, WHITE, "CHAMPS", "2024"), 128, 256, true, "banner");
    expectTexture(makeJerseyTexture({30, 70, 200, 255}, {250, 210, 40, 255}, WHITE, 23, "KORVALO", "VANTERO", Font{}),
                  512, 384, true, "jersey");
}

TEST_F(Uploads, TextIsPrintedWithTheBuiltInFontAndPicturesAreWritten) {
    Image court = paintCourtImage({200, 30, 40, 255}, {20, 60, 210, 255});
    Image plain = ImageCopy(court);
    paintCourtText(court, "KORVALO CITY", Font{});
    EXPECT_GT(changedPixels(court, plain, {924, 1500, 200, 150}), 1000) << "centre logo";
    EXPECT_GT(changedPixels(court, plain, {624, 2780, 800, 60}), 1000) << "team text behind the far baseline";
    EXPECT_TRUE(ExportImage(court, outputPath("court.png").c_str()));

    Image jersey = paintJerseyImage({30, 70, 200, 255}, {250, 210, 40, 255});
    Image bare = ImageCopy(jersey);
    paintJerseyText(jersey, {250, 210, 40, 255}, WHITE, 23, "KORVALO", "VANTERO", Font{});
    EXPECT_GT(changedPixels(jersey, bare, {256, 0, 256, 384}), 2000) << "front";
    EXPECT_GT(changedPixels(jersey, bare, {0, 0, 256, 384}), 2000) << "back";
    EXPECT_EQ(changedPixels(jersey, bare, {485, 0, 27, 384}), 0) << "letters stay in their half";
    EXPECT_TRUE(ExportImage(jersey, outputPath("jersey.png").c_str()));

    Image ad = paintAdBoardImage();
    int lit = 0;
    for (int i = 0; i < ad.width * ad.height; i++) lit += ((const Color*)ad.data)[i].r > 100;
    EXPECT_GT(lit, 5000) << "sponsor names";
    EXPECT_TRUE(ExportImage(ad, outputPath("ad_strip.png").c_str()));

    Image banner = paintBannerImage({20, 40, 120, 255}, {255, 200, 40, 255}, "CHAMPS", "2024");
    int gold = 0;
    for (int y = 50; y < 80; y++)
        for (int x = 0; x < 128; x++) gold += GetImageColor(banner, x, y).r == 255;
    EXPECT_GT(gold, 100) << "title";
    EXPECT_TRUE(ExportImage(banner, outputPath("banner.png").c_str()));

    Image ball = paintBallImage(), crowd = paintCrowdAtlasImage();
    EXPECT_TRUE(ExportImage(ball, outputPath("ball.png").c_str()));
    EXPECT_TRUE(ExportImage(crowd, outputPath("crowd_atlas.png").c_str()));
    for (Image* im : {&court, &plain, &jersey, &bare, &ad, &banner, &ball, &crowd}) UnloadImage(*im);
}

TEST_F(Uploads, OutlinedTextMatchesStampingTheOutlineAtEveryOffset) {
    // The one-pass outline against the text drawn in the outline colour at
    // every offset within the radius, then the fill.
    const Color bg = {30, 70, 200, 255}, fill = WHITE, outline = {250, 210, 40, 255};
    const float cx = 120.3f, cy = 80.6f, size = 60, scale = 1.25f;
    const int radius = 4;
    Image fast = GenImageColor(256, 160, bg), slow = GenImageColor(256, 160, bg);
    Font font = GetFontDefault();
    drawTextOutlined(fast, font, false, "23", cx, cy, size, scale, fill, outline, radius);
    Image stamp = textImage(font, "23", size, size / 10);
    ImageResize(&stamp, (int)(stamp.width * scale), stamp.height);
    for (int dy = -radius; dy <= radius; dy++)
        for (int dx = -radius; dx <= radius; dx++)
            if ((dx || dy) && dx * dx + dy * dy <= radius * radius) drawImageCentred(slow, stamp, cx + dx, cy + dy, outline);
    drawImageCentred(slow, stamp, cx, cy, fill);
    int worst = 0, outlined = 0;
    for (int i = 0; i < 256 * 160; i++) {
        Color a = ((const Color*)fast.data)[i], b = ((const Color*)slow.data)[i];
        worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
        outlined += b.r == outline.r && b.g == outline.g && b.b == outline.b;
    }
    EXPECT_GT(outlined, 500);
    EXPECT_LE(worst, 2);
    for (Image* im : {&fast, &slow, &stamp}) UnloadImage(*im);
}

TEST_F(Uploads, MeshesCarrySecondUvsOnlyWhenEveryVertexHasOne) {
    MeshBuilder full, partial;
    for (int i = 0; i < 3; i++) addVertexUv2(full, {(float)i, (float)(i == 2), 0}, {0, 0, 1}, {0, 0}, WHITE, {0.25f, (float)i});
    addTriangle(partial, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, WHITE);
    for (int i = 0; i < 3; i++) addVertexUv2(partial, {(float)(i > 0), (float)(i == 2), 0}, {0, 0, 1}, {0, 0}, WHITE, {0.5f, 0});
    Mesh a = toMesh(full), b = toMesh(partial), empty = toMesh(MeshBuilder{});
    EXPECT_EQ(a.triangleCount, 1);
    ASSERT_NE(a.texcoords2, nullptr);
    EXPECT_EQ(a.texcoords2[5], 2.0f);
    EXPECT_NE(a.vaoId, 0u);
    EXPECT_EQ(b.vertexCount, 6);
    EXPECT_EQ(b.texcoords2, nullptr);
    EXPECT_EQ(b.indices, nullptr);
    EXPECT_EQ(empty.vertexCount, 0);
    EXPECT_EQ(empty.vaoId, 0u);
    for (Mesh* m : {&a, &b, &empty}) UnloadMesh(*m);
}
