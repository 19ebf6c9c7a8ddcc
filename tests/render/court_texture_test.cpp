// The court painter: markings, paint, wood and apron at pixels computed from
// court coordinates, against the floor formulas evaluated directly.
#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "render/procedural_textures.h"
#include "render/texture_noise.h"

namespace {

constexpr Color kPrimary = {200, 30, 40, 255};
constexpr Color kSecondary = {20, 60, 210, 255};

struct Rgb { float r, g, b; };

// The bare floor at (x, z), evaluated directly from the plank and grain formulas.
Rgb referenceWood(float x, float z, float* grainOut = nullptr) {
    int plank = (int)((x + 100) / 0.0572f);
    uint32_t hp = (uint32_t)plank * 374761393u;
    float length = hashUnit(hp + 382889545u) * 2.2f + 1.8f;
    float t = hashUnit(hp + 2004795789u) * length + z + 100;
    int board = (int)(t / length);
    float tone = hashUnit((uint32_t)board * 668265263u + hp) * 0.26f + 0.78f;
    float grain = valueNoise2D(60 * x, 3 * z) * 0.6f + valueNoise2D(180 * x, 9 * z) * 0.4f;
    if (grainOut) *grainOut = grain;
    float b = (0.2f * grain + 0.84f) * tone;
    Rgb c = {0.8f * b, 0.56f * b, 0.33f * b};
    if (std::fmod(x + 100, 0.0572f) / 0.0572f < 0.04f) c = {c.r * 0.82f, c.g * 0.8f, c.b * 0.78f};
    if (std::fmod(t, length) < 0.006f) c = {c.r * 0.8f, c.g * 0.78f, c.b * 0.76f};
    return c;
}

class CourtTexture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { court = paintCourtImage(kPrimary, kSecondary); }
    static void TearDownTestSuite() { UnloadImage(court); }
    static Image court;

    static int column(float x) { return (int)((x + 13) * kCourtPixelsPerMetre); }
    static int row(float z) { return (int)((z + 7.27f) * kCourtPixelsPerMetre); }
    static Color at(int c, int r) { return ((const Color*)court.data)[r * kCourtTextureWidth + c]; }
    static Color atCourt(float x, float z) { return at(column(x), row(z)); }
    static bool isLine(Color c) {
        return c.r == kCourtLineColor.r && c.g == kCourtLineColor.g && c.b == kCourtLineColor.b;
    }
    static void expectColour(Color px, Rgb want, const char* what) {
        EXPECT_NEAR(px.r, want.r * 255, 1.01f) << what;
        EXPECT_NEAR(px.g, want.g * 255, 1.01f) << what;
        EXPECT_NEAR(px.b, want.b * 255, 1.01f) << what;
        EXPECT_EQ(px.a, 255) << what;
    }
};
Image CourtTexture::court;

} // namespace

TEST_F(CourtTexture, MarkingsAreWhiteWhereTheCourtPutsThem) {
    EXPECT_NEAR(courtColumnX(column(7.62f)), 7.62f, 0.013f);
    EXPECT_NEAR(courtRowZ(3149), -7.27f + 40, 0.03f);
    const struct {
        float x, z;
        bool line;
        const char* what;
    } marks[] = {
        {-7.62f, 5, true, "sideline"}, {7.62f, 5, true, "sideline"}, {3, 12.73f, true, "midcourt line"},
        {-3, 12.73f, true, "midcourt line"}, {3, 12.73f + 0.06f, false, "beside midcourt"},
        {3, -1.6f, true, "near baseline"}, {3, 27.06f, true, "far baseline"}, {0.5f, 4.19f, true, "free throw"},
        {0.5f, 25.46f - 4.19f, true, "far free throw"}, {0, 4.19f + 1.83f, true, "free-throw circle"},
        {0, 7.24f, true, "top of the arc"}, {6.71f, 0, true, "corner three"}, {-6.71f, 25.46f, true, "far corner"},
        {0, 1.22f, true, "restricted arc"}, {2.59f + 0.1f, 1.4f, true, "hash mark"},
        {0, 12.73f + 1.83f, true, "centre circle"}, {0.6f, 12.73f, true, "inner circle"},
        {2.44f, 2, true, "lane side over paint"}, {7.65f, -1.63f, true, "corner overrun"},
        {7.72f, -1.63f, false, "past the overrun"}, {7.65f, -1.72f, false, "past the overrun"},
    };
    for (const auto& m : marks) EXPECT_EQ(isLine(atCourt(m.x, m.z)), m.line) << m.what << " " << m.x << "," << m.z;
    for (float arc : {0.15f, 0.45f, 0.75f, 1.05f}) { // the free-throw circle is dashed toward the baseline
        const float a = arc / 1.83f;
        EXPECT_EQ(isLine(atCourt(1.83f * std::sin(a), 4.19f - 1.83f * std::cos(a))), arc == 0.15f || arc == 0.75f)
            << arc;
    }
}

TEST_F(CourtTexture, FloorColoursFollowWoodApronAndPaint) {
    const float points[][2] = {{4.1f, 8.3f}, {-5.3f, 20.2f}, {3.5f, -1.2f}, {6.9f, 15.5f}};
    for (auto& p : points) {
        int c = column(p[0]), r = row(p[1]);
        expectColour(at(c, r), referenceWood(courtColumnX(c), courtRowZ(r)), "wood");
    }
    for (auto& p : std::initializer_list<std::array<float, 2>>{{10.2f, 5.1f}, {-1.3f, -4.4f}, {3.3f, 30.1f}}) {
        int c = column(p[0]), r = row(p[1]);
        Rgb w = referenceWood(courtColumnX(c), courtRowZ(r));
        expectColour(at(c, r), {w.r * 0.42f, w.g * 0.3f, w.b * 0.32f}, "apron");
    }
    for (float z : {2.0f, 25.46f - 2.0f}) { // both lanes, in the home primary
        int c = column(1.2f), r = row(z);
        float grain;
        Rgb w = referenceWood(courtColumnX(c), courtRowZ(r), &grain);
        float shade = 0.7f * (0.8f + 0.25f * grain);
        Rgb want = {w.r + (200 / 255.0f * shade - w.r) * 0.72f, w.g + (30 / 255.0f * shade - w.g) * 0.72f,
                    w.b + (40 / 255.0f * shade - w.b) * 0.72f};
        expectColour(at(c, r), want, "lane");
        Color px = at(c, r);
        EXPECT_GT(px.r, 2 * px.g);
        EXPECT_GT(px.r, 2 * px.b);
    }
    Color ring = atCourt(1.3f, 13.03f), centre = atCourt(0.2f, 12.73f + 0.2f);
    EXPECT_GT(ring.b, ring.r) << "centre circle in the secondary";
    EXPECT_GT(centre.r, 2 * centre.b) << "centre spot in the primary";
}

TEST_F(CourtTexture, PaintingIsRepeatable) {
    Image again = paintCourtImage(kPrimary, kSecondary);
    EXPECT_EQ(std::memcmp(again.data, court.data, (size_t)court.width * court.height * 4), 0);
    UnloadImage(again);
}
