// Font loading chains and the UI size rule, with a real (hidden) GL window.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <raylib.h>
#include <rlgl.h>

#include "ui/font_text.h"
#include "ui/fonts.h"
#include "tests/test_window.h"

namespace {

const std::string kFontsDir = std::filesystem::path(KORVALO_BINARY).parent_path().string() + "/fonts/";
const std::string kAnton = kFontsDir + "Anton-Regular.ttf";
const std::string kFira = kFontsDir + "FiraSans-Bold.ttf";

class FontsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        openTestWindow(320, 200, "fonts", FLAG_WINDOW_HIDDEN);
        SetTraceLogLevel(LOG_NONE);
    }
    static void TearDownTestSuite() { CloseWindow(); }
    void SetUp() override { uiFonts = UiFonts{}; }
    static std::string damagedFile() {
        const std::string path = std::string(KORVALO_TEST_OUTPUT_DIR) + "/damaged-font.ttf";
        std::ofstream(path, std::ios::binary) << "this is no font at all, just bytes\x01\x02";
        return path;
    }
};

TEST(FontSizeRule, EffectiveSizeDropsAtFifteen) {
    EXPECT_NEAR(effectiveUiSize(14), 18.2f, 1e-4f);
    EXPECT_NEAR(effectiveUiSize(15), 16.2f, 1e-4f);
    EXPECT_NEAR(effectiveUiSize(40), 43.2f, 1e-4f);
}

TEST_F(FontsTest, FaceFilesBesideTheProgramLoad) {
    ASSERT_TRUE(std::filesystem::exists(kAnton)) << kAnton;
    loadFontsFrom({"/no/such/font.ttf", kAnton}, {kFira});
    EXPECT_NE(uiFonts.titleFace.texture.id, 0u);
    EXPECT_NE(uiFonts.uiFace.texture.id, 0u);
    EXPECT_NE(uiFonts.titleFace.texture.id, uiFonts.uiFace.texture.id);
    EXPECT_EQ(uiFont().texture.id, uiFonts.uiFace.texture.id);
    EXPECT_EQ(uiFonts.uiFace.baseSize, kUiFontPixels);
    EXPECT_EQ(uiFonts.titleFace.baseSize, kTitleFontPixels);
    // The condensed title face is narrower than the bold UI face at one size.
    EXPECT_LT(measureTitleText("KORVALO", 64), MeasureTextEx(uiFont(), "KORVALO", 64, 0.02f * 64).x);
}

TEST_F(FontsTest, DamagedTitleFontFallsBackToTheUiFace) {
    loadFontsFrom({damagedFile()}, {kFira});
    EXPECT_NE(uiFonts.uiFace.texture.id, 0u);
    EXPECT_EQ(uiFonts.titleFace.texture.id, uiFonts.uiFace.texture.id);
    EXPECT_NE(uiFonts.uiFace.texture.id, GetFontDefault().texture.id);
}

TEST_F(FontsTest, NoFontsAtAllUseTheBuiltInFont) {
    loadFontsFrom({"/no/title.ttf", damagedFile()}, {"/no/ui.ttf", damagedFile()});
    EXPECT_EQ(uiFonts.uiFace.texture.id, 0u);
    EXPECT_EQ(uiFont().texture.id, GetFontDefault().texture.id);
    EXPECT_EQ(titleFont().texture.id, GetFontDefault().texture.id);
    EXPECT_GT(measureUiText("PLAY", 20), 0.0f);
    BeginDrawing();
    drawUiTextCentered("", 640, 360, 20, WHITE, true);
    drawUiTextOutline("HI", 10, 10, 14, WHITE, BLACK, 2);
    drawTitleTextOutlined("TITLE", 100, 50, 40, WHITE);
    EndDrawing();
}

// What a drawing call leaves in a render batch: its draws and every vertex.
struct Batch {
    std::vector<int> draws; // mode, vertex count and texture of each
    std::vector<float> positions, texcoords;
    std::vector<unsigned char> colors;
    bool operator==(const Batch&) const = default;
};

template <class Draw> Batch capture(Draw draw) {
    rlRenderBatch batch = rlLoadRenderBatch(1, 8192);
    rlSetRenderBatchActive(&batch);
    draw();
    Batch out;
    int vertices = 0;
    for (int d = 0; d < batch.drawCounter; ++d) {
        const rlDrawCall& call = batch.draws[d];
        out.draws.insert(out.draws.end(), {call.mode, call.vertexCount, (int)call.textureId});
        vertices += call.vertexCount;
    }
    const rlVertexBuffer& b = batch.vertexBuffer[batch.currentBuffer];
    out.positions.assign(b.vertices, b.vertices + 3 * vertices);
    out.texcoords.assign(b.texcoords, b.texcoords + 2 * vertices);
    out.colors.assign(b.colors, b.colors + 4 * vertices);
    rlSetRenderBatchActive(nullptr);
    rlUnloadRenderBatch(batch);
    return out;
}

// The glyph table changes nothing: the same quads to the bit as raylib's own
// calls, and the same widths, for both faces and the built-in font, with
// spaces, tabs, characters the font lacks, accents and line breaks.
TEST_F(FontsTest, TextDrawsAndMeasuresExactlyAsRaylibDoes) {
    loadFontsFrom({kAnton}, {kFira});
    const char* texts[] = {"AND ONE!", "SHOT CLOCK 24", "  two  spaces\tand a tab", "~{|}` ^_",
                           "caf\xc3\xa9 \xe2\x82\xac", "two\nlines", "x", ""};
    const float sizes[][2] = {{18.2f, 0.546f}, {64, 1.28f}, {10, 1}, {43.2f, -0.3f}};
    BeginDrawing();
    for (const Font& font : {uiFonts.uiFace, uiFonts.titleFace, GetFontDefault()})
        for (const char* text : texts)
            for (const auto& sz : sizes) {
                SCOPED_TRACE(std::string(text) + " at " + std::to_string(sz[0]));
                EXPECT_EQ(std::bit_cast<uint32_t>(measureFontText(font, text, sz[0], sz[1])),
                          std::bit_cast<uint32_t>(MeasureTextEx(font, text, sz[0], sz[1]).x));
                const Vector2 at = {101.3f, -7.25f};
                const Batch ours = capture([&] { drawFontText(font, text, at, sz[0], sz[1], {200, 100, 50, 255}); });
                const Batch theirs = capture([&] { DrawTextEx(font, text, at, sz[0], sz[1], {200, 100, 50, 255}); });
                EXPECT_TRUE(ours == theirs);
                EXPECT_EQ(ours.positions.empty(), text[0] == '\0');
            }
    EndDrawing();
}

TEST_F(FontsTest, TruncatedOrCorruptFontFilesAreRefusedWithoutACrash) {
    std::ifstream in(kFira, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(good.size(), 1000u);
    const std::string path = std::string(KORVALO_TEST_OUTPUT_DIR) + "/cut-font.ttf";
    for (size_t cut : {size_t(4), size_t(11), size_t(40), good.size() / 2}) {
        std::ofstream(path, std::ios::binary) << good.substr(0, cut);
        EXPECT_EQ(loadFirstFont({path}, 32).texture.id, 0u) << cut;
    }
    std::string badTable = good;
    badTable[12 + 8] = '\x7f'; // first table's offset far past the end
    std::ofstream(path, std::ios::binary) << badTable;
    EXPECT_EQ(loadFirstFont({path}, 32).texture.id, 0u);
    EXPECT_NE(loadFirstFont({path, kFira}, 32).texture.id, 0u); // the chain goes on
}

} // namespace
