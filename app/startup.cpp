#include "app/startup.h"

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/program_random.h"
#include "app/run_flags.h"
#include "app/scene_capture.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "characters/character_builder.h"
#include "characters/character_model.h"
#include "characters/character_upload.h"
#include "characters/shared_meshes.h"
#include "net/party.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/intro.h"
#include "ui/menu_lists.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kMinWindowWidth = 640;
constexpr int kMinWindowHeight = 360;
constexpr int kDefaultFps = 60;
constexpr const char* kWindowTitle = "KORVALO VANTERO";
constexpr float kIntroFrameCap = 0.05f;
constexpr float kSkipAfter = 0.3f;
constexpr float kSkipLandsBeforeEnd = 0.6f;  // at 4.4 s
constexpr float kSkipWaitsBeforeEnd = 1.0f;  // from 4.0 s
constexpr const char* kNoDisplayMessage =
    "korvalo: can't open a window: the game needs a display; run it headless under xvfb-run -a "
    "(for example xvfb-run -a ./korvalo --sim 60)";

// raylib's warnings go to standard error: standard output belongs to the
// fixed-format lines of the test modes and the play-by-play. While the
// window opens they are held back, so that a failure says one thing only.
bool holdWarnings = false;
std::string heldWarnings;

void logToStderr(int level, const char* text, va_list args) {
    const char* tag = level >= LOG_ERROR ? "ERROR" : level == LOG_WARNING ? "WARNING" : "INFO";
    char line[1024];
    const int n = std::snprintf(line, sizeof line, "%s: ", tag);
    std::vsnprintf(line + n, sizeof line - (size_t)n, text, args);
    if (holdWarnings) heldWarnings.append(line).push_back('\n');
    else std::fprintf(stderr, "%s\n", line);
}

bool displayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

void openWindow() {
    unsigned flags = FLAG_WINDOW_RESIZABLE | FLAG_VSYNC_HINT | FLAG_WINDOW_HIGHDPI;
    if (headlessRun) flags |= FLAG_WINDOW_HIDDEN | FLAG_WINDOW_UNFOCUSED;
    SetConfigFlags(flags);
    SetTraceLogCallback(logToStderr);
    SetTraceLogLevel(LOG_WARNING);
    holdWarnings = true;
    InitWindow(kWindowWidth, kWindowHeight, kWindowTitle);
    holdWarnings = false;
    if (!IsWindowReady()) {
        // Every run mode draws, the headless ones into a hidden window, so
        // nothing can go on without one. Without a display that says it all;
        // with one, the window system's own words say what went wrong.
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        if (displayNamed()) std::fputs(heldWarnings.c_str(), stderr);
        std::exit(1);
    }
    std::fputs(heldWarnings.c_str(), stderr);
    heldWarnings.clear();
    SetWindowMinSize(kMinWindowWidth, kMinWindowHeight);
    SetExitKey(0);
    SetTargetFPS(targetFps >= 1 ? targetFps : kDefaultFps);
}

void loadUserSettings() {
    settingsPath = std::string(GetApplicationDirectory()) + kSettingsFileName;
    readSettings(settings, settingsPath);
    mouseSensIndex = settings.mouseSens - 1;
    if (forceOneOnOne) settings.oneOnOne = 1;
    if (forceFullCourt) settings.fullCourt = 1;
    if (settings.fullscreen == 1 && !headlessRun) ToggleBorderlessWindowed();
}

void clearToBlack() {
    BeginDrawing();
    ClearBackground(BLACK);
    EndDrawing();
}

// The builders: each thread writes only its own model and reads only its own
// copy of the look; the count of finished builds is the one shared value.
struct RosterBuild {
    Appearance looks[kCharacterCount];
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
};

RosterBuild rosterBuild;

void startRosterBuilds() {
    for (int t = 0; t < kRosterTeams; ++t)
        for (int p = 0; p < 2; ++p) rosterBuild.looks[2 * t + p] = teams[t].players[p].look;
    rosterBuild.threads = startCharacterBuilders(characterModels, rosterBuild.looks, kCharacterCount, &rosterBuild.done);
}

void joinRosterBuilds() { joinCharacterBuilders(rosterBuild.threads); }

// GPU objects are made on the main thread only, once the builders are joined.
void uploadRosterModels() {
    for (CharacterModel& model : characterModels) uploadCharacterModel(model);
}

bool skipInputThisFrame() {
    return GetKeyPressed() != 0 || IsMouseButtonPressed(MOUSE_BUTTON_LEFT) ||
           (IsGamepadAvailable(0) && IsGamepadButtonPressed(0, GAMEPAD_BUTTON_RIGHT_FACE_DOWN));
}

enum class IntroEnd { Played, WindowClosed, SceneDone, SceneFailed };

// The "intro" scene runs the intro on a fixed step, cannot be skipped, saves
// its pictures from the intro's own frames and ends the program with it.
IntroEnd playIntro(const CommandLine& cmd) {
    const bool scene = cmd.sceneName == "intro";
    IntroClock clock;
    int frames = 0;
    while (true) {
        if (WindowShouldClose()) return IntroEnd::WindowClosed;
        const float dt = scene ? kSceneFrameSeconds : std::fmin(GetFrameTime(), kIntroFrameCap);
        animClock += dt;
        updateAudio(dt);
        const int built = rosterBuild.done.load();
        const bool skip = !scene && skipInputThisFrame();
        if (advanceIntro(clock, dt, built, skip)) return scene ? IntroEnd::SceneDone : IntroEnd::Played;
        drawIntro(clock.t, built < kCharacterCount);
        if (!scene) continue;
        const CaptureStep step = captureFrame(cmd, ++frames);
        if (step == CaptureStep::Failed) return IntroEnd::SceneFailed;
        if (step == CaptureStep::Finished) return IntroEnd::SceneDone;
    }
}

} // namespace

bool advanceIntro(IntroClock& c, float dt, int buildsDone, bool skipInput) {
    c.t += dt;
    const bool built = buildsDone >= kCharacterCount;
    const float landsAt = introLength() - kSkipLandsBeforeEnd;
    if (skipInput && c.t > kSkipAfter) c.skipRequested = true;
    if (c.skipRequested && c.t < landsAt)
        c.t = built ? landsAt : std::fmax(c.t, introLength() - kSkipWaitsBeforeEnd);
    return c.t >= introLength() && built;
}

bool startUp(const CommandLine& cmd, int& exitStatus) {
    programSrand((uint32_t)std::time(nullptr));
    openWindow();
    loadUserSettings();
    initRenderer(renderer);
    loadFonts();
    clearToBlack();
    initSharedMeshes();
    initTeams();
    startRosterBuilds();
    initAudio();
    if (appliedHomeTeam != 0) applyHomeTeam(0);
    const bool intro = !headlessRun || cmd.sceneName == "intro";
    const IntroEnd end = intro ? playIntro(cmd) : IntroEnd::Played;
    if (end != IntroEnd::Played) {
        // Nothing is uploaded and the settings file is left alone.
        joinRosterBuilds();
        shutdownAudio();
        CloseWindow();
        exitStatus = end == IntroEnd::SceneFailed ? 1 : 0;
        return false;
    }
    joinRosterBuilds();
    uploadRosterModels();
    unloadIntro();
    buildMenus();
    playMusicTrack(kMenuMusic);
    fadeAmount = 1.0f;
    return true;
}

const Settings& settingsToKeep() {
    // During an online match `settings` holds the party's rules; the user's
    // own values wait in savedSettings.
    return onlineMatchActive ? savedSettings : settings;
}

void shutDown(bool saveUserSettings) {
    joinRosterBuilds();
    // The connection's goodbye goes out now, while the TLS library still
    // stands; from the exit handlers its worker would use it torn down.
    leaveParty(netParty);
    if (saveUserSettings) saveSettings(settingsToKeep(), settingsPath);
    shutdownAudio();
    CloseWindow();
}
