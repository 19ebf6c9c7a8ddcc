// The court floor texture: maple planks with grain, the dark apron, lane and
// centre-circle paint in the team colours, the white markings of both halves,
// then the centre logo and the team text. About 6.5 million pixels painted at
// start-up, so the per-pixel work is split into what depends on the column
// only, on the row only, and the little that is left; the value noise is
// rebuilt from lattice rows that are cached while the noise row stays the same.
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/image_paint.h"
#include "render/procedural_textures.h"
#include "render/texture_noise.h"
#include "sim/court_geometry.h"

namespace {

// Court frame (metres): the near hoop above z = 0, markings folded about it.
constexpr float kSidelineX = 7.62f;
constexpr float kNearBaselineZ = -1.6f;
constexpr float kFarBaselineZ = 27.06f;
constexpr float kLineHalf = 0.055f;     // 0.11 m lines
constexpr float kThinLineHalf = 0.044f; // midcourt line, centre circles, restricted arc
constexpr float kLineReachX = kSidelineX + kLineHalf;
constexpr float kLaneHalfWidth = 2.44f;
constexpr float kFreeThrowZ = 4.19f;
constexpr float kCircleRadius = 1.83f;
constexpr float kInnerCircleRadius = 0.6f;
constexpr float kCentrePaintRadius = 0.9f;
constexpr float kRestrictedRadius = 1.22f;
constexpr float kThreeRadius = 7.24f;
constexpr float kThreeBreakZ = 2.72f;
constexpr float kCornerThreeX = 6.71f;
constexpr float kHashMarkX = 2.59f;
constexpr float kHashMarkHalfLength = 0.15f;
constexpr float kHashMarkZ[] = {0.5f, 1.4f, 2.3f, 3.2f};
constexpr float kDashPeriod = 0.6f;
constexpr float kDashLength = 0.3f;

// Wood.
constexpr float kPlankWidth = 0.0572f;
constexpr float kPlankGap = 0.04f;      // fraction of the plank width
constexpr float kBoardEndGap = 0.006f;  // metres
constexpr float kCoordOffset = 100.0f;  // keeps plank and board coordinates positive
constexpr uint32_t kBoardLengthSalt = 382889545u;
constexpr uint32_t kBoardOffsetSalt = 2004795789u;
// Linear 0..1 colour, passed by value so it stays in registers.
struct Rgb {
    float r, g, b;
};
Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }

constexpr Rgb kWood = {0.8f, 0.56f, 0.33f};
constexpr Rgb kGapShade = {0.82f, 0.8f, 0.78f};
constexpr Rgb kBoardEndShade = {0.8f, 0.78f, 0.76f};
constexpr Rgb kApronShade = {0.42f, 0.3f, 0.32f};
constexpr float kFineGrainX = 60, kFineGrainZ = 3, kFinerGrainX = 180, kFinerGrainZ = 9;

constexpr float kLanePaint = 0.72f, kCirclePaint = 0.75f, kCentrePaint = 0.9f;

// Text.
constexpr float kLogoX = 1024, kLogoY = 1575.3846f;
constexpr float kLogoSize = 150, kLogoSpacing = 2;
constexpr Color kLogoShadow = {25, 20, 40, 230};
constexpr Color kLogoFill = {250, 245, 235, 255};
constexpr float kTeamTextSize = 80, kTeamTextSpacing = 3;
constexpr float kNearTextY = 340.28314f, kFarTextY = 2810.4863f;
constexpr Color kTeamTextColor = {255, 255, 255, 140};

struct Column {
    float x, ax;
    uint32_t plankHash;
    float boardLength, boardOffset;
    Rgb plankShade; // the gap's darkening, or 1
    int fineIx, finerIx;
    float fineSx, finerSx;
    int board;           // board index whose tone is cached
    float boardTone;
    // Board coordinates t strictly between these are well inside the cached
    // board and away from its ends: no division or fmod needed there.
    float safeFrom, safeTo;
};

struct Row {
    float z, zz;
    bool inBoundsZ, inLaneZ;
    bool nearCentre, nearFreeThrow, nearHoop;
    bool nearMidcourt, nearBaseline, withinSidelineZ;
    bool onHashMarkZ;
};

// lerp(c(ix, iy), c(ix + 1, iy), sx) for every column at lattice row iy and
// iy + 1, kept while the pixel rows fall into the same noise row.
struct NoiseRows {
    int iy = INT_MIN;
    std::vector<float> lo, hi;
};

void fillNoiseRow(std::vector<float>& out, const std::vector<Column>& cols, int iy, bool finer) {
    for (size_t c = 0; c < cols.size(); c++) {
        int ix = finer ? cols[c].finerIx : cols[c].fineIx;
        float sx = finer ? cols[c].finerSx : cols[c].fineSx;
        out[c] = lerpf(noiseCorner(ix, iy), noiseCorner(ix + 1, iy), sx);
    }
}

void updateNoiseRows(NoiseRows& rows, const std::vector<Column>& cols, int iy, bool finer) {
    if (iy == rows.iy) return;
    if (iy == rows.iy + 1) {
        rows.lo.swap(rows.hi);
    } else {
        rows.lo.resize(cols.size());
        fillNoiseRow(rows.lo, cols, iy, finer);
    }
    rows.hi.resize(cols.size());
    fillNoiseRow(rows.hi, cols, iy + 1, finer);
    rows.iy = iy;
}

std::vector<Column> courtColumns() {
    std::vector<Column> cols(kCourtTextureWidth);
    for (int c = 0; c < kCourtTextureWidth; c++) {
        Column& k = cols[c];
        k.x = courtColumnX(c);
        k.ax = std::fabs(k.x);
        int plank = (int)((k.x + kCoordOffset) / kPlankWidth);
        k.plankHash = (uint32_t)plank * kHashX;
        k.boardLength = hashUnit(k.plankHash + kBoardLengthSalt) * 2.2f + 1.8f;
        k.boardOffset = hashUnit(k.plankHash + kBoardOffsetSalt) * k.boardLength;
        bool gap = std::fmod(k.x + kCoordOffset, kPlankWidth) / kPlankWidth < kPlankGap;
        k.plankShade = gap ? kGapShade : Rgb{1, 1, 1};
        float fine = kFineGrainX * k.x, finer = kFinerGrainX * k.x;
        float fineFloor = std::floor(fine), finerFloor = std::floor(finer);
        k.fineIx = (int)fineFloor;
        k.fineSx = noiseWeight(fine - fineFloor);
        k.finerIx = (int)finerFloor;
        k.finerSx = noiseWeight(finer - finerFloor);
        k.board = INT_MIN;
        k.boardTone = 0;
        k.safeFrom = k.safeTo = 0;
    }
    return cols;
}

Row courtRow(int r) {
    Row w = {};
    w.z = courtRowZ(r);
    w.zz = w.z <= kMidcourtZ ? w.z : kFarHoopZ - w.z;
    w.inBoundsZ = w.z >= kNearBaselineZ && w.z <= kFarBaselineZ;
    w.inLaneZ = w.zz > kNearBaselineZ && w.zz < kFreeThrowZ;
    // Row filters with a margin: a pixel can only be near a circle when its row is.
    w.nearCentre = std::fabs(w.z - kMidcourtZ) < kCircleRadius + 0.1f;
    w.nearFreeThrow = std::fabs(w.zz - kFreeThrowZ) < kCircleRadius + 0.1f;
    w.nearHoop = w.zz > -0.1f && w.zz < kThreeRadius + 0.1f;
    w.nearMidcourt = std::fabs(w.z - kMidcourtZ) < kThinLineHalf;
    w.nearBaseline = std::fabs(w.z - kNearBaselineZ) < kLineHalf || std::fabs(w.z - kFarBaselineZ) < kLineHalf;
    w.withinSidelineZ = w.z > kNearBaselineZ - kLineHalf && w.z < kFarBaselineZ + kLineHalf;
    for (float hz : kHashMarkZ) w.onHashMarkZ = w.onHashMarkZ || std::fabs(w.zz - hz) < kLineHalf;
    return w;
}

// Whether the pixel at (x, row) is on one of the court's white markings.
bool isCourtLine(const Row& w, float x, float ax) {
    if (ax >= kLineReachX) return false;
    float zz = w.zz;
    if (std::fabs(ax - kSidelineX) < kLineHalf && w.withinSidelineZ) return true;
    if (w.nearBaseline) return true;
    if (w.nearMidcourt && ax < kSidelineX) return true;
    if (w.inLaneZ && std::fabs(ax - kLaneHalfWidth) < kLineHalf) return true;
    if (std::fabs(zz - kFreeThrowZ) < kLineHalf && ax < kLaneHalfWidth) return true;
    if (w.onHashMarkZ && std::fabs(ax - kHashMarkX) < kHashMarkHalfLength) return true;
    if (zz < kThreeBreakZ && zz > kNearBaselineZ && std::fabs(ax - kCornerThreeX) < kLineHalf) return true;
    if (w.nearCentre) {
        float dz = w.z - kMidcourtZ, dc = std::sqrt(dz * dz + x * x);
        if (std::fabs(dc - kCircleRadius) < kThinLineHalf || std::fabs(dc - kInnerCircleRadius) < kThinLineHalf)
            return true;
    }
    if (w.nearFreeThrow) {
        float dz = zz - kFreeThrowZ, e = std::sqrt(dz * dz + x * x);
        if (std::fabs(e - kCircleRadius) < kLineHalf) {
            if (zz > kFreeThrowZ) return true;
            // Dashed toward the baseline; the angle runs from the baseline direction.
            float a = std::atan2(x, -dz);
            if (std::fmod(std::fabs(a) * kCircleRadius, kDashPeriod) < kDashLength) return true;
        }
    }
    if (w.nearHoop) {
        float dh = std::sqrt(zz * zz + x * x);
        if (zz > 0 && std::fabs(dh - kRestrictedRadius) < kThinLineHalf) return true;
        if (zz >= kThreeBreakZ && std::fabs(dh - kThreeRadius) < kLineHalf) return true;
    }
    return false;
}

constexpr float kBoardSafety = 0.02f; // metres, far above float error at t ~ 100

// Finds the board under board coordinate t, caching its tone; returns
// whether t lies on the board's end joint.
bool enterBoard(Column& k, float t) {
    int board = (int)(t / k.boardLength);
    if (board != k.board) {
        k.board = board;
        k.boardTone = hashUnit((uint32_t)board * kHashY + k.plankHash) * 0.26f + 0.78f;
    }
    k.safeFrom = (float)board * k.boardLength + kBoardSafety;
    k.safeTo = (float)(board + 1) * k.boardLength - kBoardSafety;
    return std::fmod(t, k.boardLength) < kBoardEndGap;
}

Rgb moveToward(Rgb c, Rgb target, float amount) {
    return {c.r + (target.r - c.r) * amount, c.g + (target.g - c.g) * amount, c.b + (target.b - c.b) * amount};
}

Rgb linear(Color c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }

uint8_t toByte(float v) { return (uint8_t)((v < 0 ? 0 : v > 1 ? 1 : v) * 255); }

} // namespace

Image paintCourtImage(Color primary, Color secondary) {
    Image image = newRgbaImage(kCourtTextureWidth, kCourtTextureHeight);
    Color* out = imagePixels(image);
    std::vector<Column> cols = courtColumns();
    const Rgb prim = linear(primary), second = linear(secondary);
    NoiseRows fine, finer;
    for (int r = 0; r < kCourtTextureHeight; r++) {
        Row w = courtRow(r);
        float fz = kFineGrainZ * w.z, finerZ = kFinerGrainZ * w.z;
        float fineFloor = std::floor(fz), finerFloor = std::floor(finerZ);
        updateNoiseRows(fine, cols, (int)fineFloor, false);
        updateNoiseRows(finer, cols, (int)finerFloor, true);
        float fineSy = noiseWeight(fz - fineFloor), finerSy = noiseWeight(finerZ - finerFloor);
        for (int c = 0; c < kCourtTextureWidth; c++) {
            Column& k = cols[c];
            float t = k.boardOffset + w.z + kCoordOffset;
            bool boardEnd = !(t > k.safeFrom && t < k.safeTo) && enterBoard(k, t);
            float grain = lerpf(fine.lo[c], fine.hi[c], fineSy) * 0.6f +
                          lerpf(finer.lo[c], finer.hi[c], finerSy) * 0.4f;
            float bright = (0.2f * grain + 0.84f) * k.boardTone;
            Rgb rgb = kWood * bright * k.plankShade;
            if (boardEnd) rgb = rgb * kBoardEndShade;
            bool inBounds = w.inBoundsZ && k.ax <= kSidelineX;
            if (!inBounds) rgb = rgb * kApronShade;
            if (inBounds && w.inLaneZ && k.ax < kLaneHalfWidth) {
                float shade = 0.8f + 0.25f * grain;
                rgb = moveToward(rgb, prim * 0.7f * shade, kLanePaint);
            }
            if (w.nearCentre) {
                float dz = w.z - kMidcourtZ, dc = std::sqrt(dz * dz + k.x * k.x);
                if (dc < kCircleRadius) {
                    rgb = moveToward(rgb, second, kCirclePaint);
                    if (dc < kCentrePaintRadius) rgb = moveToward(rgb, prim, kCentrePaint);
                }
            }
            Color& px = out[(size_t)r * kCourtTextureWidth + c];
            if (isCourtLine(w, k.x, k.ax))
                px = kCourtLineColor;
            else
                px = {toByte(rgb.r), toByte(rgb.g), toByte(rgb.b), 255};
        }
    }
    return image;
}

void paintCourtText(Image& court, const char* teamText, Font titleFont) {
    Font font = paintFont(titleFont);
    Image logo = textImage(font, "KV", kLogoSize, kLogoSpacing);
    for (int dy = -4; dy <= 4; dy += 4)
        for (int dx = -4; dx <= 4; dx += 4) drawImageCentred(court, logo, kLogoX + dx, kLogoY + dy, kLogoShadow);
    drawImageCentred(court, logo, kLogoX, kLogoY, kLogoFill);
    UnloadImage(logo);

    Image team = textImage(font, teamText, kTeamTextSize, kTeamTextSpacing);
    drawImageCentred(court, team, kLogoX, kNearTextY, kTeamTextColor);
    if (team.data != nullptr) { // turned half round to read from the far end
        ImageFlipVertical(&team);
        ImageFlipHorizontal(&team);
    }
    drawImageCentred(court, team, kLogoX, kFarTextY, kTeamTextColor);
    UnloadImage(team);
}

Texture2D makeCourtTexture(Color primary, Color secondary, const char* teamText, float* courtWidth,
                           float* courtLength, float* startZ, Font titleFont) {
    Image image = paintCourtImage(primary, secondary);
    paintCourtText(image, teamText, titleFont);
    Texture2D texture = uploadImageTexture(image, true, TEXTURE_FILTER_TRILINEAR, TEXTURE_WRAP_REPEAT);
    SetTextureFilter(texture, TEXTURE_FILTER_ANISOTROPIC_16X);
    if (courtWidth) *courtWidth = kCourtWidth;
    if (courtLength) *courtLength = kCourtLength;
    if (startZ) *startZ = kCourtStartZ;
    return texture;
}
