// Ball, crowd atlas, jersey, banner and ad strip painters, pixel work only
// (no window, so no text).
#include <cmath>
#include <cstring>
#include <set>
#include <gtest/gtest.h>

#include "render/procedural_textures.h"

namespace {

Color pixel(const Image& im, int x, int y) { return ((const Color*)im.data)[y * im.width + x]; }
bool sameRgba(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }
bool sameImage(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height &&
           std::memcmp(a.data, b.data, (size_t)a.width * a.height * 4) == 0;
}

} // namespace

TEST(BallTexture, SeamsRunAlongTheEquatorAndTheMeridianOverLeather) {
    Image ball = paintBallImage();
    ASSERT_EQ(ball.width, 512);
    ASSERT_EQ(ball.height, 256);
    // Latitudes within asin(0.022) of the equator are rows 126 to 129.
    for (int y = 126; y <= 129; y++)
        for (int x = 0; x < 512; x++) ASSERT_TRUE(sameRgba(pixel(ball, x, y), kBallSeamColor)) << x << "," << y;
    int seamOnRow124 = 0;
    for (int x = 0; x < 512; x++) seamOnRow124 += sameRgba(pixel(ball, x, 124), kBallSeamColor);
    EXPECT_LT(seamOnRow124, 100);
    for (int y = 0; y < 256; y++) { // longitude 0 and pi
        EXPECT_TRUE(sameRgba(pixel(ball, 0, y), kBallSeamColor)) << y;
        EXPECT_TRUE(sameRgba(pixel(ball, 256, y), kBallSeamColor)) << y;
    }
    int leather = 0;
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 512; x++) {
            Color c = pixel(ball, x, y);
            ASSERT_EQ(c.a, 255);
            if (sameRgba(c, kBallSeamColor)) continue;
            leather++;
            ASSERT_GE(c.r, 178); // 208 x 0.86
            ASSERT_GE(c.g, 79);
            ASSERT_GE(c.b, 29);
            ASSERT_LE(c.r, 208);
        }
    EXPECT_GT(leather, 512 * 256 * 3 / 4);
    Image again = paintBallImage();
    EXPECT_TRUE(sameImage(ball, again));
    UnloadImage(again);
    UnloadImage(ball);
}

TEST(CrowdAtlas, EveryCellHoldsOneSpectatorOnTransparentGround) {
    Image atlas = paintCrowdAtlasImage();
    ASSERT_EQ(atlas.width, kCrowdColumns * kCrowdCellWidth);
    ASSERT_EQ(atlas.height, kCrowdRows * kCrowdCellHeight);
    std::set<uint32_t> bodies;
    for (int row = 0; row < kCrowdRows; row++)
        for (int col = 0; col < kCrowdColumns; col++) {
            int x0 = col * kCrowdCellWidth, y0 = row * kCrowdCellHeight;
            for (int cx : {0, kCrowdCellWidth - 1})
                for (int cy : {0, kCrowdCellHeight - 1})
                    EXPECT_TRUE(sameRgba(pixel(atlas, x0 + cx, y0 + cy), {0, 0, 0, 0})) << "corner of " << col << "," << row;
            for (int y : {50, 100, 127}) EXPECT_EQ(pixel(atlas, x0 + 32, y0 + y).a, 255) << "body of " << col << "," << row;
            Color shirt = pixel(atlas, x0 + 32, y0 + 100);
            bodies.insert(shirt.r << 16 | shirt.g << 8 | shirt.b);
        }
    EXPECT_GT(bodies.size(), 10u) << "cells differ";
    Image again = paintCrowdAtlasImage();
    EXPECT_TRUE(sameImage(atlas, again));
    UnloadImage(again);
    UnloadImage(atlas);
}

TEST(JerseyTexture, ClothStripesAndCollarInTheTeamColours) {
    const Color primary = {30, 70, 200, 255}, secondary = {250, 210, 40, 200};
    Image jersey = paintJerseyImage(primary, secondary);
    ASSERT_EQ(jersey.width, 512);
    ASSERT_EQ(jersey.height, 384);
    auto near = [](Color c, Color want, float k, int alpha) {
        // The cloth factor lies in [0.95 x 0.9, 1].
        for (auto [v, w] : {std::pair{c.r, want.r}, std::pair{c.g, want.g}, std::pair{c.b, want.b}})
            if (v > w * k + 0.01f || v < std::floor(w * k * 0.855f)) return false;
        return c.a == alpha;
    };
    EXPECT_TRUE(near(pixel(jersey, 128, 5), secondary, 1, 200)) << "collar";
    EXPECT_TRUE(near(pixel(jersey, 128, 17), primary, 0.6f, 255)) << "collar edge";
    EXPECT_TRUE(near(pixel(jersey, 128, 200), primary, 1, 255)) << "body";
    for (int x : {0, 5, 256, 511}) EXPECT_TRUE(near(pixel(jersey, x, 200), secondary, 1, 200)) << "stripe " << x;
    EXPECT_TRUE(near(pixel(jersey, 17, 200), primary, 0.55f, 255)) << "stripe edge";
    UnloadImage(jersey);
}

TEST(BannerTexture, AccentBarsAndPennantCutWithoutText) {
    const Color bg = {20, 40, 120, 255}, accent = {255, 255, 255, 255};
    Image banner = paintBannerImage(bg, accent, "CHAMPS", "2024");
    ASSERT_EQ(banner.width, 128);
    ASSERT_EQ(banner.height, 256);
    EXPECT_TRUE(sameRgba(pixel(banner, 64, 5), accent));
    EXPECT_TRUE(sameRgba(pixel(banner, 64, 17), accent));
    EXPECT_TRUE(sameRgba(pixel(banner, 2, 17), bg));
    EXPECT_TRUE(sameRgba(pixel(banner, 64, 200), bg));
    EXPECT_EQ(pixel(banner, 0, 216).a, 0);   // the cut starts at the edges
    EXPECT_EQ(pixel(banner, 1, 216).a, 255);
    EXPECT_EQ(pixel(banner, 127, 216).a, 255); // the right edge starts one row later
    EXPECT_EQ(pixel(banner, 127, 217).a, 0);
    EXPECT_EQ(pixel(banner, 62, 255).a, 0);  // and nearly meets in the middle at the bottom
    EXPECT_EQ(pixel(banner, 66, 255).a, 0);
    EXPECT_EQ(pixel(banner, 63, 255).a, 255);
    EXPECT_EQ(pixel(banner, 65, 255).a, 255);
    UnloadImage(banner);
}

TEST(AdBoardTexture, LedGapsAreDarkened) {
    Image board = paintAdBoardImage();
    ASSERT_EQ(board.width, 2048);
    ASSERT_EQ(board.height, 64);
    EXPECT_TRUE(sameRgba(pixel(board, 0, 0), {6, 4, 16, 255}));
    EXPECT_TRUE(sameRgba(pixel(board, 2, 0), {2, 1, 5, 255}));
    EXPECT_TRUE(sameRgba(pixel(board, 0, 2), {2, 1, 5, 255}));
    UnloadImage(board);
}
