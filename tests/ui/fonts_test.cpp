// Font loading chains and the UI size rule, with a real (hidden) GL window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ui/fonts.h"

namespace {

const std::string kFontsDir = std::filesystem::path(KORVALO_BINARY).parent_path().string() + "/fonts/";
const std::string kAnton = kFontsDir + "Anton-Regular.ttf";
const std::string kFira = kFontsDir + "FiraSans-Bold.ttf";

class FontsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetTraceLogLevel(LOG_NONE);
        SetConfigFlags(FLAG_WINDOW_HIDDEN);
        InitWindow(320, 200, "fonts");
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
