// The title screen with its main menu, the options screen and the
// how-to-play screen.
#include <algorithm>
#include <cmath>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "render/renderer.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/lineup.h"
#include "ui/menu_lists.h"
#include "ui/panels.h"
#include "ui/screens.h"
#include "ui/widgets.h"

namespace {

constexpr float kTitleConfirmDelay = 0.3f;
constexpr float kHowToPlayDelay = 0.2f;
constexpr float kOptionsDim = 0.55f;
constexpr float kTitleVignette = 1.0f, kTitleSaturation = 0.95f;
constexpr Color kRed = {200, 40, 40, 255};
constexpr Color kBlue = {60, 130, 220, 255};
constexpr Color kSteelDepth = {30, 34, 48, 255};
constexpr Color kVioletDepth = {40, 10, 80, 255};
constexpr Color kFooter = {150, 155, 170, 255};
constexpr Color kGold = {255, 215, 130, 255};

void endScreenFrame() {
    drawFade();
    endUi(renderer);
    presentFrame(renderer);
}

void drawTitleWords() {
    DrawRectangleGradientV(0, 0, kCanvasWidth, 260, {0, 0, 0, 160}, {0, 0, 0, 0});
    drawChromeTitle("KORVALO", 640, 40, 128, 0, kSteelDepth);
    const float w = measureTitleText("VANTERO", 64) * 0.5f + 90;
    DrawRectangleGradientH((int)(640 - w), 170, (int)w, 62, {150, 20, 25, 0}, {170, 25, 30, 225});
    DrawRectangleGradientH(640, 170, (int)w, 62, {170, 25, 30, 225}, {150, 20, 25, 0});
    drawTitleTextOutlined("VANTERO", 640, 166, 64, {255, 245, 235, 255});
    drawUiTextCentered("2  ON  2   STREETBALL", 640, 242, 20, {210, 214, 225, 255}, true);
}

} // namespace

void titleInput(const MenuInput& in) {
    if (!titleMenuOpen) {
        if (in.confirm && screenTimer > kTitleConfirmDelay) {
            titleMenuOpen = true;
            playMenuConfirm();
        }
        return;
    }
    switch (navigateMenu(mainMenu, in)) {
    case kMenuBack: titleMenuOpen = false; break;
    case MAIN_PLAY_GAME: changeScreen(SCREEN_SQUAD_SELECT); break;
    case MAIN_OPTIONS:
        optionsReturnScreen = SCREEN_TITLE;
        changeScreen(SCREEN_OPTIONS);
        break;
    case MAIN_HOW_TO_PLAY: changeScreen(SCREEN_HOW_TO_PLAY); break;
    case MAIN_QUIT: quitRequested = true; break;
    case MAIN_ONLINE:
        onlineRow = 0;
        textEntryMode = ENTRY_NONE;
        changeScreen(SCREEN_ONLINE_MENU);
        break;
    default: break;
    }
}

void drawTitleOverlay() {
    drawTitleWords();
    if (titleMenuOpen) {
        drawPanel({450, 420, 380, 262}, kRed);
        drawMenu(mainMenu, 640, 446, 46, 30, kRed, false, 0, 0);
    } else {
        const float pulse = (0.55f + 0.45f * std::sin(4 * animClock)) * 255;
        drawUiTextCentered("PRESS ENTER", 640, 600, 30,
                           {255, 255, 255, (unsigned char)std::clamp(pulse, 0.0f, 255.0f)}, true);
    }
    drawUiTextRight("V2.0", 1256, 690, 10, {150, 150, 160, 255}, false);
}

void titleScreenFrame() {
    drawMenuBackdrop3D(animClock);
    renderPost(renderer, kTitleVignette, kTitleSaturation);
    EndShaderMode();
    if (closeupView != 0 || cleanTitle) {
        endUi(renderer);
        presentFrame(renderer);
        return;
    }
    drawTitleOverlay();
    titleInput(readMenuInput());
    endScreenFrame();
}

void optionsScreenFrame() {
    const MenuInput in = readMenuInput();
    drawMenuBackground(kOptionsDim);
    drawChromeTitle("OPTIONS", 640, 22, 72, 0, kSteelDepth);
    drawPanel({300, 120, 680, 560}, kRed);
    drawMenu(optionsMenu, 0, 146, 42, 20, kRed, true, 340, 600);
    drawUiText("A/D CHANGE    W/S SELECT    ESC BACK", 340, 658, 10, kFooter);
    endScreenFrame();
    const MenuResult result = navigateMenu(optionsMenu, in);
    if (result == kMenuChanged) {
        applySettings();
    } else if (result == kOptionsBack || result == kMenuBack) {
        applySettings();
        titleMenuOpen = true;
        changeScreen(optionsReturnScreen);
    }
}

void howToPlayScreenFrame() {
    const MenuInput in = readMenuInput();
    drawMenuBackground(kOptionsDim);
    drawChromeTitle("HOW TO PLAY", 640, 22, 64, 1, kVioletDepth);
    drawPanel({110, 112, 1060, 560}, kBlue);
    drawControls();
    drawUiTextCentered("PRESS ENTER OR ESC", 640, 630, 20, kGold, true);
    endScreenFrame();
    if ((in.confirm || in.back) && screenTimer > kHowToPlayDelay) {
        playMenuBack();
        titleMenuOpen = true;
        changeScreen(SCREEN_TITLE);
    }
}
