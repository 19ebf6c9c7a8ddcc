// Ball and crowd atlas painters, pixel work only (no text).
#include <cmath>
#include <cstring>
#include <set>
#include <gtest/gtest.h>

#include "render/procedural_textures.h"

namespace {

Color pixel(const Image& im, int x, int y) { return ((const Color*)im.data)[y * im.width + x]; }
bool sameRgba(Color a, Color b) { return std::memcmp(&a, &b, 4) == 0; }
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
    for (int i = 0; i < 512 * 256; i++) {
        const Color c = ((const Color*)ball.data)[i];
        ASSERT_EQ(c.a, 255);
        if (sameRgba(c, kBallSeamColor)) continue;
        leather++;
        ASSERT_TRUE(c.r >= 178 && c.r <= 208 && c.g >= 79 && c.b >= 29) << i; // 208 x 0.86
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
            const int x0 = col * kCrowdCellWidth, y0 = row * kCrowdCellHeight;
            for (int cx : {0, kCrowdCellWidth - 1})
                for (int cy : {0, kCrowdCellHeight - 1})
                    EXPECT_TRUE(sameRgba(pixel(atlas, x0 + cx, y0 + cy), {0, 0, 0, 0})) << "corner of " << col << "," << row;
            for (int y : {50, 100, 127}) EXPECT_EQ(pixel(atlas, x0 + 32, y0 + y).a, 255) << "body of " << col << "," << row;
            const Color shirt = pixel(atlas, x0 + 32, y0 + 100);
            bodies.insert(shirt.r << 16 | shirt.g << 8 | shirt.b);
        }
    EXPECT_GT(bodies.size(), 10u) << "cells differ";
    UnloadImage(atlas);
}
