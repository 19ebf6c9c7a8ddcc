// Program entry: read the command line, bring the program up in its fixed
// order, hand control to one run mode, and shut down.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <raylib.h>

#include "app/build_profile.h"
#include "app/command_line.h"
#include "app/program_random.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "app/simulation_run.h"
#include "audio/audio.h"
#include "characters/character_model.h"
#include "sim/match_state.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kMinWindowWidth = 640;
constexpr int kMinWindowHeight = 360;
constexpr int kDefaultFps = 60;
constexpr const char* kWindowTitle = "KORVALO VANTERO";

std::string settingsPath;

void openWindow() {
    unsigned flags = FLAG_WINDOW_RESIZABLE | FLAG_VSYNC_HINT | FLAG_WINDOW_HIGHDPI;
    if (headlessRun) flags |= FLAG_WINDOW_HIDDEN | FLAG_WINDOW_UNFOCUSED;
    SetConfigFlags(flags);
    SetTraceLogLevel(LOG_WARNING);
    InitWindow(kWindowWidth, kWindowHeight, kWindowTitle);
    SetWindowMinSize(kMinWindowWidth, kMinWindowHeight);
    SetExitKey(0);
    SetTargetFPS(targetFps >= 1 ? targetFps : kDefaultFps);
}

void loadUserSettings() {
    settingsPath = std::string(GetApplicationDirectory()) + kSettingsFileName;
    readSettings(settings, settingsPath);
    if (forceOneOnOne) settings.oneOnOne = 1;
    if (forceFullCourt) settings.fullCourt = 1;
    if (settings.fullscreen == 1 && !headlessRun) ToggleBorderlessWindowed();
}

// The body measures the rules read come from the roster looks.
void prepareCharacters() {
    for (int t = 0; t < kRosterTeams; ++t)
        for (int p = 0; p < 2; ++p) applyAppearance(characterModels[2 * t + p], teams[t].players[p].look);
}

void shutDown(bool save) {
    if (save) saveSettings(settings, settingsPath);
    shutdownAudio();
    CloseWindow();
}

} // namespace

int main(int argc, char** argv) {
    CommandLine cmd;
    parseCommandLine(argc, argv, cmd);
    if (cmd.buildProfile) return runBuildProfile();
    headlessRun = isHeadlessRun(cmd);
    serverUrl = chooseServerUrl(serverUrl, std::getenv("KORVALO_SERVER"));
    programSrand((uint32_t)std::time(nullptr));

    openWindow();
    loadUserSettings();
    initTeams();
    prepareCharacters();
    initAudio();

    if (moveTest) {
        std::fprintf(stderr, "korvalo: the movement test is not available in this build\n");
        shutDown(false);
        return 0;
    }
    if (cmd.simSeconds > 0) {
        runSimulation(cmd.simSeconds, cmd.humanTest);
        shutDown(false);
        return 0;
    }
    // A screenshot or recording run ends once its frame counter reaches the
    // last frame, so a hidden window never runs for ever.
    const bool sceneRun = !cmd.sceneName.empty();
    int frame = 0;
    while (!WindowShouldClose() && !quitRequested) {
        BeginDrawing();
        ClearBackground(BLACK);
        EndDrawing();
        ++frame;
        if (sceneRun && frame >= cmd.lastFrame) break;
    }
    shutDown(!headlessRun);
    return 0;
}
