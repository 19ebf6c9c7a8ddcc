// Applying options: the sensitivity row, the render quality and the file.
#include <fstream>
#include <sstream>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "app/settings.h"
#include "render/renderer.h"

namespace {

TEST(ApplySettings, TakesEditedOptionsIntoEffectAndSavesThem) {
    SetTraceLogLevel(LOG_WARNING);
    InitWindow(640, 360, "apply settings test");
    ASSERT_TRUE(IsWindowReady());
    settings = Settings{};
    settings.graphics = 2;
    initRenderer(renderer);
    EXPECT_EQ(renderer.sceneWidth, 1280);

    settingsPath = std::string(KORVALO_TEST_OUTPUT_DIR) + "/apply_settings.cfg";
    std::remove(settingsPath.c_str());
    mouseSensIndex = 7;
    settings.graphics = 1;
    applySettings();

    EXPECT_EQ(settings.mouseSens, 8);
    EXPECT_EQ(renderer.sceneWidth, 1920);
    EXPECT_EQ(renderer.sceneTarget.texture.height, 1080);
    EXPECT_FALSE(IsWindowState(FLAG_BORDERLESS_WINDOWED_MODE));
    std::ifstream file(settingsPath);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), formatSettings(settings));
    EXPECT_NE(text.str().find("mouseSens=8\n"), std::string::npos);
    CloseWindow();
}

} // namespace
