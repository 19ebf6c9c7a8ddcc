// The crowd atlas: 48 spectator sprites (head, neck, shoulders, sometimes
// raised arms) drawn from distance functions with soft edges. Each cell's look
// is a hash of its index, so the same cell is always the same spectator.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/image_paint.h"
#include "render/procedural_textures.h"
#include "render/texture_noise.h"

namespace {

constexpr Color kSkins[] = {{78, 50, 36, 255}, {120, 80, 56, 255}, {170, 120, 86, 255},
                            {210, 164, 128, 255}, {236, 198, 170, 255}};
constexpr Color kHairs[] = {{18, 14, 12, 255}, {45, 30, 20, 255}, {120, 80, 40, 255},
                            {200, 170, 110, 255}, {60, 60, 60, 255}};
constexpr Color kShirts[] = {{200, 30, 40, 255}, {30, 60, 150, 255}, {240, 240, 240, 255}, {25, 25, 30, 255},
                             {90, 40, 160, 255}, {240, 190, 40, 255}, {20, 130, 120, 255},
                             {120, 120, 130, 255}, {230, 110, 30, 255}, {60, 90, 60, 255}};
constexpr uint32_t kCellSalt = 1733751597u;
constexpr float kFar = 1e9f;    // distance of the arms when they are down
constexpr float kEdgeSoftness = 1.6f;

struct Spectator {
    Color skin, shirt, hair;
    bool cap;
    float headRadius, shoulderHalfWidth, headY, neckY, bodyTop;
    bool armsRaised;
};

Spectator spectatorOfCell(int column, int row) {
    uint32_t m = hashMix((uint32_t)(row * kCrowdColumns + column) * kHashX + kCellSalt);
    uint32_t h = m ^ (m >> 16);
    Spectator s;
    s.skin = kSkins[h % 5];
    s.shirt = kShirts[(h / 5) % 10];
    s.hair = kHairs[(h / 50) % 5];
    s.cap = (h / 1200) % 5 == 0;
    s.headRadius = 9.5f + (float)(h % 3);
    s.shoulderHalfWidth = 20.0f + (float)((h / 7) % 5);
    s.headY = 40.0f + (float)((h / 11) & 7);
    s.neckY = s.headY + s.headRadius;
    s.bodyTop = s.neckY + 6;
    s.armsRaised = ((h / 300) & 3) == 0;
    return s;
}

float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    float ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Colour of one cell pixel at (x, y): x from the cell's centre line, y down
// from its top. X, Y are the atlas coordinates that seed the speckle.
Color spectatorPixel(const Spectator& s, float x, float y, int atlasX, int atlasY) {
    float R = s.headRadius, W = s.shoulderHalfWidth, T = s.bodyTop, Hc = s.headY;
    float head = std::sqrt(x * x / 0.8f + (y - Hc) * (y - Hc)) - R;
    float body = y > T ? std::fabs(x) - (W - 3 * std::exp(-(y - T) / 6))
                       : std::sqrt(std::pow(std::max(std::fabs(x) - W, 0.0f), 2.0f) + (T - y) * (T - y)) - 10;
    float neck = std::max(std::fabs(y - (s.neckY + 2)) - 5, std::fabs(x) - 5);
    float arms = kFar;
    if (s.armsRaised) {
        arms = std::min(segmentDistance(x, y, W - 3, T + 4, W + 6, Hc - 26),
                        segmentDistance(x, y, -(W - 3), T + 4, -(W + 6), Hc - 26)) - 4.5f;
    }
    float d = std::min({head, body, neck, arms});
    float coverage = clamp01(0.5f - d / kEdgeSoftness);
    if (coverage <= 0) return {0, 0, 0, 0};

    Color c;
    float shade, tone = 1;
    if (head <= body && head <= arms && head < 1) {
        float hairLine = Hc - (s.cap ? 0.15f : 0.35f) * R;
        c = y < hairLine ? (s.cap ? s.shirt : s.hair) : s.skin;
        shade = 0.75f + 0.35f * clamp01(-x / R * 0.5f + 0.5f) - 0.15f * clamp01((y - Hc) / R);
    } else if (arms < body) {
        c = s.skin;
        shade = 0.85f;
    } else if (neck < body) {
        c = s.skin;
        tone = 0.8f;
        shade = 0.9f;
    } else {
        c = s.shirt;
        shade = 0.7f + 0.35f * clamp01(-x / W * 0.5f + 0.5f) - 0.25f * clamp01((y - T) / 60);
    }
    float speckle = hashUnit((uint32_t)atlasX * kHashX + (uint32_t)atlasY * kHashY) * 0.08f + 0.94f;
    float k = tone * shade * speckle;
    auto channel = [k](unsigned char v) { return (unsigned char)std::min(v * k, 255.0f); };
    return {channel(c.r), channel(c.g), channel(c.b), (unsigned char)(coverage * 255)};
}

} // namespace

Image paintCrowdAtlasImage() {
    const int width = kCrowdColumns * kCrowdCellWidth, height = kCrowdRows * kCrowdCellHeight;
    Image image = newRgbaImage(width, height);
    Color* out = imagePixels(image);
    for (int row = 0; row < kCrowdRows; row++) {
        for (int column = 0; column < kCrowdColumns; column++) {
            Spectator s = spectatorOfCell(column, row);
            for (int py = 0; py < kCrowdCellHeight; py++) {
                for (int px = 0; px < kCrowdCellWidth; px++) {
                    int X = column * kCrowdCellWidth + px, Y = row * kCrowdCellHeight + py;
                    out[Y * width + X] = spectatorPixel(s, px + 0.5f - kCrowdCellWidth / 2, py + 0.5f, X, Y);
                }
            }
        }
    }
    return image;
}

Texture2D makeCrowdAtlas(int* columns, int* rows) {
    Image image = paintCrowdAtlasImage();
    if (columns) *columns = kCrowdColumns;
    if (rows) *rows = kCrowdRows;
    return uploadImageTexture(image, true, TEXTURE_FILTER_TRILINEAR, TEXTURE_WRAP_REPEAT);
}
