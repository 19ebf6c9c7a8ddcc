// The advertising strip that scrolls along the courtside boards and the
// hanging team banners. Both print with raylib's built-in font, which exists
// once the window is open; without it they keep their plain graphics.
#include "render/image_paint.h"
#include "render/procedural_textures.h"

namespace {

constexpr Color kAdBackground = {6, 4, 16, 255};
struct Sponsor {
    const char* name;
    Color colour;
};
constexpr Sponsor kSponsors[] = {{"KORVALO VANTERO", {255, 255, 255, 255}}, {"VANTERO COLA", {230, 40, 40, 255}},
                                 {"SKYLINE AIR", {90, 160, 255, 255}},      {"COURTSIDE SHOES", {255, 200, 60, 255}},
                                 {"METRO BANK", {255, 255, 255, 255}},      {"CHANNEL 9 SPORTS", {255, 140, 40, 255}}};
constexpr int kSponsorCount = 6;
constexpr int kAdNames = 12;
constexpr int kAdTextSize = 40;
constexpr int kAdLastStart = 1848; // no name starts beyond this
constexpr float kLedGapShade = 0.35f;

constexpr int kBannerTitleSize = 40, kBannerSubtitleSize = 20;
constexpr int kPennantTop = 216;   // first row of the pennant cut
constexpr int kPennantDepth = 40;  // rows; the cut reaches the middle column at the bottom

bool builtInFontReady() { return fontLoaded(GetFontDefault()); }

void drawSponsorNames(Image& board) {
    int x = 20;
    for (int i = 0; i < kAdNames; i++) {
        const Sponsor& s = kSponsors[i % kSponsorCount];
        ImageDrawText(&board, s.name, x, 12, kAdTextSize, s.colour);
        int w = MeasureText(s.name, kAdTextSize);
        ImageDrawRectangle(&board, x + w + 30, 26, 12, 12, WHITE);
        x += w + 72;
        if (x > kAdLastStart) break;
    }
}

// Every third column and row is a dark gap between the LEDs.
void darkenLedGaps(Image& board) {
    Color* px = imagePixels(board);
    for (int y = 0; y < board.height; y++) {
        for (int x = 0; x < board.width; x++) {
            if (x % 3 != 2 && y % 3 != 2) continue;
            Color& c = px[y * board.width + x];
            c = {(unsigned char)(c.r * kLedGapShade), (unsigned char)(c.g * kLedGapShade),
                 (unsigned char)(c.b * kLedGapShade), c.a};
        }
    }
}

} // namespace

Image paintAdBoardImage() {
    Image board = GenImageColor(kAdBoardWidth, kAdBoardHeight, kAdBackground);
    if (builtInFontReady()) drawSponsorNames(board);
    darkenLedGaps(board);
    return board;
}

Texture2D makeAdBoardTexture() {
    Image image = paintAdBoardImage();
    return uploadImageTexture(image, false, TEXTURE_FILTER_BILINEAR, TEXTURE_WRAP_REPEAT);
}

Image paintBannerImage(Color background, Color accent, const char* title, const char* subtitle) {
    Image banner = GenImageColor(kBannerWidth, kBannerHeight, background);
    ImageDrawRectangle(&banner, 0, 0, kBannerWidth, 10, accent);
    ImageDrawRectangle(&banner, 6, 16, 116, 3, accent);
    Color* px = imagePixels(banner);
    for (int y = kPennantTop; y < kBannerHeight; y++) {
        int k = (y - kPennantTop) * (kBannerWidth / 2) / kPennantDepth;
        for (int x = 0; x < kBannerWidth; x++)
            if (x <= k || x >= kBannerWidth - k) px[y * kBannerWidth + x] = {0, 0, 0, 0};
    }
    if (builtInFontReady()) {
        ImageDrawText(&banner, title, kBannerWidth / 2 - MeasureText(title, kBannerTitleSize) / 2, 50,
                      kBannerTitleSize, accent);
        ImageDrawText(&banner, subtitle, kBannerWidth / 2 - MeasureText(subtitle, kBannerSubtitleSize) / 2, 110,
                      kBannerSubtitleSize, WHITE);
    }
    return banner;
}

Texture2D makeBannerTexture(Color background, Color accent, const char* title, const char* subtitle) {
    Image image = paintBannerImage(background, accent, title, subtitle);
    return uploadImageTexture(image, true, TEXTURE_FILTER_TRILINEAR, TEXTURE_WRAP_REPEAT);
}
