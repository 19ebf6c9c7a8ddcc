// Image allocation, text stamping and upload shared by the texture painters.
#include "render/image_paint.h"

#include <cmath>
#include <vector>

Image newRgbaImage(int width, int height) {
    Image image = {};
    image.data = MemAlloc((unsigned int)(width * height * 4));
    image.width = width;
    image.height = height;
    image.mipmaps = 1;
    image.format = PIXELFORMAT_UNCOMPRESSED_R8G8B8A8;
    return image;
}

Font paintFont(Font preferred) { return fontLoaded(preferred) ? preferred : GetFontDefault(); }

Image textImage(Font font, const char* text, float size, float spacing) {
    if (!fontLoaded(font) || text == nullptr || text[0] == '\0' || size <= 0) return {};
    // ImageTextEx lays the glyphs out at the font's base size in whole pixels
    // and scales the result, gaps included; convert so the gaps come out in
    // drawn pixels, keeping at least one base pixel so letters never touch.
    float baseSpacing = std::round(spacing * font.baseSize / size);
    if (spacing > 0 && baseSpacing < 1) baseSpacing = 1;
    return ImageTextEx(font, text, size, baseSpacing, WHITE);
}

void drawImageCentred(Image& dst, const Image& src, float cx, float cy, Color tint) {
    if (src.data == nullptr) return;
    float w = (float)src.width, h = (float)src.height;
    ImageDraw(&dst, src, {0, 0, w, h}, {std::floor(cx - w / 2), std::floor(cy - h / 2), w, h}, tint);
}

namespace {

// The outline of drawTextOutlined. Stamping the same colour n times, once per
// offset, leaves the colour over a transparency that is the product of the
// stamps' transparencies; that product is gathered here in one pass and
// blended once, instead of alpha-blending the whole text image n times.
void stampOutline(Image& target, const Image& text, int left, int top, Color outline, int radius) {
    const int w = text.width, h = text.height;
    const int mw = w + 2 * radius, mh = h + 2 * radius;
    std::vector<float> clear((size_t)mw * mh, 1.0f);
    const Color* src = (const Color*)text.data;
    const float tint = outline.a / 255.0f;
    std::vector<int> offsets; // each (dx, dy) as a step in the mask
    for (int dy = -radius; dy <= radius; dy++)
        for (int dx = -radius; dx <= radius; dx++)
            if ((dx != 0 || dy != 0) && dx * dx + dy * dy <= radius * radius) offsets.push_back(dy * mw + dx);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char a = src[y * w + x].a;
            if (a == 0) continue;
            float keep = 1 - a / 255.0f * tint;
            int centre = (y + radius) * mw + (x + radius);
            for (int o : offsets) clear[centre + o] *= keep;
        }
    Color* dst = imagePixels(target);
    for (int my = 0; my < mh; my++) {
        int ty = top - radius + my;
        if (ty < 0 || ty >= target.height) continue;
        for (int mx = 0; mx < mw; mx++) {
            int tx = left - radius + mx;
            float cover = 1 - clear[my * mw + mx];
            if (tx < 0 || tx >= target.width || cover <= 0) continue;
            Color stamp = {outline.r, outline.g, outline.b, (unsigned char)(cover * 255 + 0.5f)};
            Color& d = dst[ty * target.width + tx];
            d = ColorAlphaBlend(d, stamp, WHITE);
        }
    }
}

} // namespace

void drawTextOutlined(Image& target, Font font, bool trueType, const char* text, float cx, float cy,
                      float size, float hscale, Color fill, Color outline, int radius) {
    float spacing = trueType ? 1 : size / 10;
    Image stamp = textImage(font, text, size, spacing);
    if (stamp.data == nullptr) return;
    ImageResize(&stamp, (int)(stamp.width * hscale), stamp.height);
    ImageFormat(&stamp, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    if (radius > 0 && target.format == PIXELFORMAT_UNCOMPRESSED_R8G8B8A8) {
        int left = (int)std::floor(cx - stamp.width / 2.0f), top = (int)std::floor(cy - stamp.height / 2.0f);
        stampOutline(target, stamp, left, top, outline, radius);
    }
    drawImageCentred(target, stamp, cx, cy, fill);
    UnloadImage(stamp);
}

Texture2D uploadImageTexture(Image& image, bool mipmaps, int filter, int wrap) {
    Texture2D texture = LoadTextureFromImage(image);
    if (mipmaps) GenTextureMipmaps(&texture);
    SetTextureFilter(texture, filter);
    SetTextureWrap(texture, wrap);
    UnloadImage(image);
    image = {};
    return texture;
}

Texture2D makeWhiteTexture() {
    Image image = GenImageColor(4, 4, WHITE);
    return uploadImageTexture(image, false, TEXTURE_FILTER_POINT, TEXTURE_WRAP_REPEAT);
}
