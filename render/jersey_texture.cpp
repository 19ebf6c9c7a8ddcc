// The jersey texture: woven cloth in the primary colour with side stripes and
// a collar band in the secondary, then the number and names printed on the
// back (left half) and the front (right half).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/image_paint.h"
#include "render/procedural_textures.h"
#include "render/texture_noise.h"

namespace {

constexpr float kStripeHalfWidth = 0.03f;     // in u, about the side seams and the middle
constexpr float kStripeEdgeHalfWidth = 0.037f;
constexpr float kStripeEdgeShade = 0.55f;
constexpr int kCollarRows = 16;
constexpr int kCollarEdgeEnd = 19;            // rows 16..18 are the collar's shadow
constexpr float kCollarEdgeShade = 0.6f;

struct Print {
    bool front, number;
    float y, size, scale;
    int radius;
};
// Centre y as a fraction of the height; the front half is centred at x = 384, the back at 128.
constexpr Print kPrints[] = {{true, false, 0.24f, 34, 1.15f, 2},
                             {true, true, 0.44f, 110, 1.25f, 4},
                             {false, false, 0.19f, 30, 1.2f, 2},
                             {false, true, 0.46f, 160, 1.25f, 5}};

} // namespace

Image paintJerseyImage(Color primary, Color secondary) {
    Image image = newRgbaImage(kJerseyTextureWidth, kJerseyTextureHeight);
    Color* out = imagePixels(image);
    for (int y = 0; y < kJerseyTextureHeight; y++) {
        for (int x = 0; x < kJerseyTextureWidth; x++) {
            float n = hashUnit((uint32_t)(x >> 1) * kHashX + (uint32_t)(y >> 1) * kHashY) * 0.05f + 0.95f;
            if (x % 4 == 0 && y % 4 == 0) n *= 0.9f; // weave dots
            float u = (float)x / kJerseyTextureWidth;
            float d = std::min({u, std::fabs(u - 1), std::fabs(u - 0.5f)});
            Color c = primary;
            float shade = 1;
            if (y < kCollarRows) {
                c = secondary;
            } else if (y < kCollarEdgeEnd) {
                shade = kCollarEdgeShade;
            } else if (d < kStripeHalfWidth) {
                c = secondary;
            } else if (d < kStripeEdgeHalfWidth) {
                shade = kStripeEdgeShade;
            }
            float k = shade * n;
            out[y * kJerseyTextureWidth + x] = {(unsigned char)(c.r * k), (unsigned char)(c.g * k),
                                                (unsigned char)(c.b * k), c.a};
        }
    }
    return image;
}

void paintJerseyText(Image& jersey, Color secondary, Color textColor, int number, const char* frontText,
                     const char* backText, Font font) {
    bool trueType = fontLoaded(font);
    Font use = paintFont(font);
    char numberText[16];
    std::snprintf(numberText, sizeof numberText, "%d", number);
    for (const Print& p : kPrints) {
        const char* text = p.number ? numberText : p.front ? frontText : backText;
        float cx = p.front ? kJerseyTextureWidth * 0.75f : kJerseyTextureWidth * 0.25f;
        drawTextOutlined(jersey, use, trueType, text, cx, p.y * kJerseyTextureHeight, p.size, p.scale, textColor,
                         secondary, p.radius);
    }
}

Texture2D makeJerseyTexture(Color primary, Color secondary, Color textColor, int number,
                            const char* frontText, const char* backText, Font font) {
    Image image = paintJerseyImage(primary, secondary);
    paintJerseyText(image, secondary, textColor, number, frontText, backText, font);
    return uploadImageTexture(image, true, TEXTURE_FILTER_TRILINEAR, TEXTURE_WRAP_REPEAT);
}
