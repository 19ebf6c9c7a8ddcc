#include "ui/fonts.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/renderer.h"
#include "ui/font_text.h"

UiFonts uiFonts;

namespace {

constexpr float kSmallSizeLimit = 15.0f;
constexpr float kSmallSizeScale = 1.3f;
constexpr float kLargeSizeScale = 1.08f;
constexpr float kUiSpacing = 0.03f;
constexpr float kTitleSpacing = 0.02f;
constexpr float kRaiseFactor = 0.45f; // the UI face is raised by this share of its growth
constexpr int kTrilinear = 2;

bool isLoaded(const Font& f) { return f.texture.id != 0; }

// raylib answers a file that is no font with its own built-in font.
bool isBuiltInFont(const Font& f) { return f.texture.id == GetFontDefault().texture.id; }

uint32_t be32(const unsigned char* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

// The font rasteriser trusts a file's table directory; a damaged file would
// make it read out of bounds. Accept only a TrueType file whose tables lie
// inside it and that has the tables the rasteriser needs.
bool looksLikeTrueType(const unsigned char* data, int size) {
    if (!data || size < 12) return false;
    const uint32_t version = be32(data);
    if (version != 0x00010000u && version != 0x74727565u /* "true" */) return false;
    const int tables = data[4] << 8 | data[5];
    if (12 + 16 * (int64_t)tables > size) return false;
    const char* required[] = {"cmap", "head", "hhea", "hmtx", "loca", "glyf"};
    int found = 0;
    for (int i = 0; i < tables; ++i) {
        const unsigned char* entry = data + 12 + 16 * i;
        const uint64_t offset = be32(entry + 8), length = be32(entry + 12);
        if (offset + length > (uint64_t)size) return false;
        for (const char* tag : required)
            if (std::memcmp(entry, tag, 4) == 0) ++found;
    }
    return found == (int)(sizeof required / sizeof required[0]);
}

Font loadFontFile(const std::string& path, int pixelSize) {
    int size = 0;
    unsigned char* data = LoadFileData(path.c_str(), &size);
    Font f = {};
    if (looksLikeTrueType(data, size)) f = LoadFontFromMemory(".ttf", data, size, pixelSize, nullptr, 0);
    UnloadFileData(data);
    return f;
}

Color withAlpha(Color c, unsigned char a) { return {c.r, c.g, c.b, a}; }

unsigned char scaledAlpha(Color base, Color over) { return (unsigned char)(base.a / 255.0f * over.a); }

} // namespace

float effectiveUiSize(float size) { return size < kSmallSizeLimit ? size * kSmallSizeScale : size * kLargeSizeScale; }

Font loadFirstFont(const std::vector<std::string>& paths, int pixelSize) {
    for (const std::string& path : paths) {
        if (!FileExists(path.c_str())) continue;
        Font f = loadFontFile(path, pixelSize);
        if (!isLoaded(f) || isBuiltInFont(f)) continue;
        GenTextureMipmaps(&f.texture);
        SetTextureFilter(f.texture, kTrilinear);
        return f;
    }
    return Font{};
}

std::vector<std::string> titleFontCandidates() {
    const std::string here = GetApplicationDirectory();
    return {"/System/Library/Fonts/Supplemental/Impact.ttf", "C:/Windows/Fonts/impact.ttf",
            here + "fonts/Anton-Regular.ttf"};
}

std::vector<std::string> uiFontCandidates() {
    const std::string here = GetApplicationDirectory();
    return {"/System/Library/Fonts/Supplemental/Trebuchet MS Bold.ttf", "C:/Windows/Fonts/trebucbd.ttf",
            here + "fonts/FiraSans-Bold.ttf", "/System/Library/Fonts/Supplemental/Arial Bold.ttf",
            "C:/Windows/Fonts/arialbd.ttf"};
}

void loadFontsFrom(const std::vector<std::string>& titleList, const std::vector<std::string>& uiList) {
    uiFonts.titleFace = loadFirstFont(titleList, kTitleFontPixels);
    uiFonts.uiFace = loadFirstFont(uiList, kUiFontPixels);
    if (!isLoaded(uiFonts.titleFace)) uiFonts.titleFace = uiFonts.uiFace;
}

void loadFonts() { loadFontsFrom(titleFontCandidates(), uiFontCandidates()); }

Font uiFont() {
    if (isLoaded(uiFonts.uiFace)) return uiFonts.uiFace;
    static const bool made = [] {
        uiFonts.fallbackFace = GetFontDefault();
        return true;
    }();
    (void)made;
    return uiFonts.fallbackFace;
}

Font titleFont() { return isLoaded(uiFonts.titleFace) ? uiFonts.titleFace : uiFont(); }

float measureUiText(const char* text, float size) {
    const float s = effectiveUiSize(size);
    return measureFontText(uiFont(), text, s, kUiSpacing * s);
}

void drawUiText(const char* text, float x, float y, float size, Color color) {
    const float s = effectiveUiSize(size);
    drawFontText(uiFont(), text, {x, y - (s - size) * kRaiseFactor}, s, kUiSpacing * s, color);
}

float measureTitleText(const char* text, float size) {
    return measureFontText(titleFont(), text, size, kTitleSpacing * size);
}

void drawTitleText(const char* text, float x, float y, float size, Color color) {
    drawFontText(titleFont(), text, {x, y}, size, kTitleSpacing * size, color);
}

void drawUiTextShadow(const char* text, float x, float y, float size, Color color, float offset, Color shadow) {
    drawUiText(text, x + offset, y + offset, size, withAlpha(shadow, scaledAlpha(color, shadow)));
    drawUiText(text, x, y, size, color);
}

void drawUiTextOutline(const char* text, float x, float y, float size, Color color, Color outline, int radius) {
    if (radius > 0) {
        const Color ring = withAlpha(outline, scaledAlpha(color, outline));
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy) drawUiText(text, x + (float)(dx * radius), y + (float)(dy * radius), size, ring);
    }
    drawUiText(text, x, y, size, color);
}

namespace {

void drawUiTextFrom(const char* text, float left, float y, float size, Color color, bool shadow) {
    if (shadow) {
        const float o = std::fmax(size / 12.0f, 2.0f);
        drawUiText(text, left + o, y + o, size, {0, 0, 0, (unsigned char)(color.a / 255.0f * 200.0f)});
    }
    drawUiText(text, left, y, size, color);
}

} // namespace

void drawUiTextCentered(const char* text, float x, float y, float size, Color color, bool shadow) {
    drawUiTextFrom(text, x - 0.5f * measureUiText(text, size), y, size, color, shadow);
}

void drawUiTextRight(const char* text, float x, float y, float size, Color color, bool shadow) {
    drawUiTextFrom(text, x - measureUiText(text, size), y, size, color, shadow);
}

void drawTitleTextOutlined(const char* text, float x, float y, float size, Color color) {
    const Font f = titleFont();
    const float sp = kTitleSpacing * size;
    const float left = x - 0.5f * measureFontText(f, text, size, sp);
    drawFontText(f, text, {left + 3, y + 4}, size, sp, {0, 0, 0, 160});
    for (int dy = -2; dy <= 2; dy += 2)
        for (int dx = -2; dx <= 2; dx += 2)
            if (dx || dy) drawFontText(f, text, {left + (float)dx, y + (float)dy}, size, sp, {10, 10, 16, 255});
    drawFontText(f, text, {left, y}, size, sp, color);
}

int chromeDepthLayers(float size) { return (int)(0.0625f * size); }

void drawChromeTitle(const char* text, float x, float y, float size, int style, Color depth) {
    const Font f = titleFont();
    const float sp = kTitleSpacing * size;
    const float left = x - 0.5f * measureFontText(f, text, size, sp);
    const int n = chromeDepthLayers(size);
    const Color deepest = {5, 5, 10, 255};
    for (int i = n; i >= 1; --i) {
        const float t = std::fmin((float)i / (float)n, 1.0f);
        auto mix = [t](unsigned char a, unsigned char b) { return (unsigned char)(a + (b - a) * t); };
        const Color c = {mix(depth.r, deepest.r), mix(depth.g, deepest.g), mix(depth.b, deepest.b),
                         mix(depth.a, deepest.a)};
        drawFontText(f, text, {left + 0.6f * (float)i, y + (float)i}, size, sp, c);
    }
    const float o = std::fmax(size / 40.0f, 1.5f);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) drawFontText(f, text, {left + dx * o, y + dy * o}, size, sp, {8, 8, 14, 255});
    beginChromeText(renderer, y, size, style);
    drawFontText(f, text, {left, y}, size, sp, WHITE);
    endChromeText(renderer);
}
