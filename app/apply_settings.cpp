// Applying edited options: the options screen and the pause menu call this
// whenever a value changes or the menu is left.
#include <raylib.h>

#include "app/match_start.h"
#include "app/settings.h"
#include "render/renderer.h"

std::string settingsPath;
int mouseSensIndex = Settings{}.mouseSens - 1;

void applySettings() {
    settings.mouseSens = mouseSensIndex + 1;
    applyMatchSettings(matchState, currentMatchSettings());
    setRenderQuality(renderer, settings.graphics);
    if ((settings.fullscreen == 1) != IsWindowState(FLAG_BORDERLESS_WINDOWED_MODE)) ToggleBorderlessWindowed();
    saveSettings(settings, settingsPath);
}
