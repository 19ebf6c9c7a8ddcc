// The front end's screens drawn on a real GL context at a fixed frame time:
// the title over its lineup, the options and the online menu, written as PNG
// under the build tree; the same frame drawn twice is the same picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <raylib.h>
#include <raymath.h>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "render/renderer.h"
#include "tests/ui/menu_window.h"
#include "ui/frontend.h"
#include "ui/lineup.h"
#include "ui/menu_lists.h"

namespace {

constexpr float kClock = 2.0f;
Image readTarget(const RenderTexture2D& target) {
    Image image = LoadImageFromTexture(target.texture);
    ImageFlipVertical(&image);
    return image;
}

// One front-end frame of a screen at animation time kClock with the fade
// done; returns the finished 1920x1080 picture.
Image screenFrame(int screen, const char* png) {
    changeScreen(screen);
    animClock = kClock;
    screenTimer = 1.0f;
    fadeAmount = 0.0f;
    frontendFrame();
    Image image = uiPicture();
    EXPECT_TRUE(ExportImage(image, testOutputPath(png).c_str()));
    return image;
}

class FrontendGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openMenuWindow("korvalo front end test", "frontend_gl_settings.cfg"); }
    static void TearDownTestSuite() { closeMenuWindow(); }
};

} // namespace

TEST_F(FrontendGl, TitleOverItsLineupIsTheSamePictureTwice) {
    titleMenuOpen = true;
    mainMenu.selected = 0;
    Image first = screenFrame(SCREEN_TITLE, "frontend_title.png");
    Image second = screenFrame(SCREEN_TITLE, "frontend_title_again.png");
    ASSERT_EQ(first.width * first.height, second.width * second.height);
    EXPECT_EQ(std::memcmp(first.data, second.data, GetPixelDataSize(first.width, first.height, first.format)), 0);
    EXPECT_TRUE(ColorIsEqual(canvasPixel(first, 640, 422), Color{200, 40, 40, 255})) << "main menu's accent bar";

    // The figures stand where the title camera sees them: the scene differs
    // from the empty arena around both of them.
    const LineupShot shot = menuLineup(-1, false, kClock);
    drawLineupScene(shot.entries, shot.camera, shot.focus, kClock);
    Image posed = readTarget(renderer.sceneTarget);
    drawLineupScene({}, shot.camera, shot.focus, kClock);
    Image empty = readTarget(renderer.sceneTarget);
    for (const LineupEntry& e : shot.entries) {
        const Vector2 p = GetWorldToScreenEx({e.x, 1.1f, e.z}, shot.camera, posed.width, posed.height);
        int differing = 0;
        for (int dy = -10; dy <= 10; ++dy)
            for (int dx = -10; dx <= 10; ++dx)
                differing += !ColorIsEqual(GetImageColor(posed, (int)p.x + dx, (int)p.y + dy),
                                           GetImageColor(empty, (int)p.x + dx, (int)p.y + dy));
        EXPECT_GT(differing, 300) << "figure at x " << e.x;
    }
    for (Image* image : {&first, &second, &posed, &empty}) UnloadImage(*image);
}

TEST_F(FrontendGl, OptionsAndOnlineMenuScreens) {
    optionsMenu.selected = 0;
    Image options = screenFrame(SCREEN_OPTIONS, "frontend_options.png");
    EXPECT_TRUE(ColorIsEqual(canvasPixel(options, 329, 150), WHITE)) << "selected row's white edge";
    UnloadImage(options);

    settings.alias = "HOOPER";
    partyCodeInput = "R8XW3";
    onlineRow = 2;
    Image online = screenFrame(SCREEN_ONLINE_MENU, "frontend_online.png");
    EXPECT_TRUE(ColorIsEqual(canvasPixel(online, 342, 380), Color{0, 190, 180, 255})) << "JOIN PARTY row's bar";
    EXPECT_FALSE(ColorIsEqual(canvasPixel(online, 342, 240), Color{0, 190, 180, 255})) << "ALIAS row not selected";
    UnloadImage(online);
}
