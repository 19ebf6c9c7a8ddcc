#include "app/scene_capture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/run_flags.h"
#include "app/screenshot.h"
#include "ui/frontend.h"
#include "ui/lineup.h"

namespace {

constexpr const char* kSceneCode = "R8XW3"; // a code already typed on the online menu
constexpr int kFirstEmotePage = 2;

// "gallery1" -> 1: the page scenes end in their digit.
int lastDigit(const std::string& scene) { return scene.back() - '0'; }

// The lineup alone, close in, on one of its pages.
void lineupCloseUp(int page) {
    changeScreen(SCREEN_TITLE);
    closeupView = 1;
    lineupPage = page;
}

bool saveTo(const std::string& path) { return path.empty() || saveScreenshot(path); }

// A missing output folder is made; if that fails the write that follows
// says so.
bool recordTo(const std::string& path) {
    if (path.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(recordDir, ec);
    return saveScreenshot(path);
}

} // namespace

void setUpScene(const std::string& s) {
    if (s == "title" || s == "menu") {
        changeScreen(SCREEN_TITLE);
        titleMenuOpen = s == "menu";
    } else if (s == "closeup") {
        changeScreen(SCREEN_TITLE);
        closeupView = 1;
    } else if (s == "titleclean") {
        changeScreen(SCREEN_TITLE);
        cleanTitle = true;
    } else if (s == "gallery0" || s == "gallery1") {
        lineupCloseUp(lastDigit(s));
    } else if (s == "emotes0" || s == "emotes1") {
        lineupCloseUp(lastDigit(s) + kFirstEmotePage);
        animClock = 0;
    } else if (s == "setup") {
        changeScreen(SCREEN_SQUAD_SELECT);
    } else if (s == "online") {
        changeScreen(SCREEN_ONLINE_MENU);
        partyCodeInput = kSceneCode;
    } else if (s == "options") {
        changeScreen(SCREEN_OPTIONS);
    } else if (s == "howto") {
        changeScreen(SCREEN_HOW_TO_PLAY);
    } else if (s == "game" || s == "pause") {
        changeScreen(SCREEN_LOADING); // the match starts from the loading screen
    }
}

std::string shotFileFor(const std::vector<int>& frames, const std::string& shotPath, int n) {
    if (std::find(frames.begin(), frames.end(), n) == frames.end()) return "";
    if (frames.size() == 1) return shotPath;
    return shotPath + "_" + std::to_string(n) + ".png";
}

std::string recordFileFor(const std::string& dir, int startFrame, int n) {
    const long long since = (long long)n - startFrame; // no overflow for any start
    if (since < 0 || since % 2 != 0) return "";
    char name[40];
    std::snprintf(name, sizeof name, "/f_%05lld.png", since / 2);
    return dir + name;
}

CaptureStep captureFrame(const CommandLine& cmd, int n) {
    if (!saveTo(shotFileFor(cmd.shotFrames, cmd.shotPath, n))) return CaptureStep::Failed;
    if (!recordDir.empty() && !recordTo(recordFileFor(recordDir, recordStartFrame, n))) return CaptureStep::Failed;
    // At or past the last frame: a last frame of 0 or below ends the run
    // after its first frame instead of never.
    return n >= cmd.lastFrame ? CaptureStep::Finished : CaptureStep::Continue;
}

CaptureStep afterSceneFrame(const CommandLine& cmd, int n) {
    const CaptureStep step = captureFrame(cmd, n);
    if (cmd.sceneName == "pause" && frontendScreen == SCREEN_IN_GAME && n == cmd.lastFrame - kPauseSceneFrames)
        pauseOpen = true;
    return step;
}
