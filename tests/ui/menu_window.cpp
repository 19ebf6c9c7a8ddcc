#include "tests/ui/menu_window.h"

#include <gtest/gtest.h>

#include "app/match_start.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "characters/character_builder.h"
#include "characters/character_upload.h"
#include "characters/shared_meshes.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/fonts.h"
#include "ui/menu_lists.h"
#include "tests/test_window.h"

namespace {

constexpr int kBackdropModels[2] = {0, 3}; // the two figures of the title lineup
constexpr int kLowGraphics = 2;

std::string besideProgram(const char* file) {
    const std::string binary = KORVALO_BINARY;
    return binary.substr(0, binary.find_last_of('/') + 1) + "fonts/" + file;
}

} // namespace

void openMenuWindow(const char* title, const char* settingsFile) {
    openTestWindow(1280, 720, title, FLAG_WINDOW_HIDDEN);
    headlessRun = true;
    recordFrameDt = 1.0f / 60.0f;
    settings = Settings{};
    settings.graphics = kLowGraphics;
    settingsPath = testOutputPath(settingsFile);
    initRenderer(renderer);
    setRenderQuality(renderer, settings.graphics);
    loadFontsFrom({besideProgram("Anton-Regular.ttf")}, {besideProgram("FiraSans-Bold.ttf")});
    initSharedMeshes();
    initTeams();
    for (int k : kBackdropModels) {
        buildCharacter(characterModels[k], teams[k / 2].players[k % 2].look);
        uploadCharacterModel(characterModels[k]);
    }
    applyHomeTeam(0);
    buildMenus();
}

void closeMenuWindow() {
    for (int k : kBackdropModels) unloadCharacterModel(characterModels[k]);
    CloseWindow();
}

std::string testOutputPath(const char* name) { return std::string(KORVALO_TEST_OUTPUT_DIR) + "/" + name; }

Image uiPicture() {
    Image image = LoadImageFromTexture(renderer.uiTarget.texture);
    ImageFlipVertical(&image);
    return image;
}

Color canvasPixel(const Image& image, float x, float y) {
    return GetImageColor(image, (int)(x * kCanvasScale), (int)(y * kCanvasScale));
}
