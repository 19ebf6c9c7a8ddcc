// The ball texture: an equirectangular map (rows are latitude, columns
// longitude) of pebbled orange leather with the equator, one meridian and
// the two curved seams in dark brown.
#include <cmath>

#include "render/image_paint.h"
#include "render/procedural_textures.h"
#include "render/texture_noise.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kSeamHalfWidth = 0.022f;
constexpr float kCurvedSeamAt = 0.72f;      // |cos(longitude) cos(latitude)| of the curved seams
constexpr float kCurvedSeamHalfWidth = 0.0242f;
constexpr float kLeather[3] = {208, 92, 34};

bool isSeam(float theta, float phi) {
    float cp = std::cos(phi);
    return std::fabs(std::sin(theta) * cp) < kSeamHalfWidth || std::fabs(std::sin(phi)) < kSeamHalfWidth ||
           std::fabs(std::fabs(std::cos(theta) * cp) - kCurvedSeamAt) < kCurvedSeamHalfWidth;
}

} // namespace

Image paintBallImage() {
    Image image = newRgbaImage(kBallTextureWidth, kBallTextureHeight);
    Color* out = imagePixels(image);
    for (int y = 0; y < kBallTextureHeight; y++) {
        float phi = ((y + 0.5f) / kBallTextureHeight) * kPi - kPi / 2;
        for (int x = 0; x < kBallTextureWidth; x++) {
            float theta = ((x + 0.5f) / kBallTextureWidth) * 2 * kPi;
            Color& px = out[y * kBallTextureWidth + x];
            if (isSeam(theta, phi)) {
                px = kBallSeamColor;
                continue;
            }
            float k = (valueNoise2D(0.3f * x, 0.3f * y) * 0.5f + valueNoise2D(0.9f * x, 0.9f * y) * 0.5f) * 0.14f + 0.86f;
            px = {(unsigned char)(kLeather[0] * k), (unsigned char)(kLeather[1] * k), (unsigned char)(kLeather[2] * k), 255};
        }
    }
    return image;
}

Texture2D makeBallTexture() {
    Image image = paintBallImage();
    return uploadImageTexture(image, true, TEXTURE_FILTER_TRILINEAR, TEXTURE_WRAP_REPEAT);
}
