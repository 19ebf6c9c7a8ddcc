// The user's settings: one program-wide record read from and written to a
// small text file of "key=value" lines.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct Settings {
    int32_t sprintToggle = 1;
    int32_t cameraMotion = 2;
    int32_t tooltips = 1;
    int32_t oneOnOne = 0;
    int32_t fullCourt = 0;
    int32_t mouseSens = 5;
    int32_t invertY = 0;
    int32_t graphics = 0;
    int32_t difficulty = 1;
    int32_t gameTo = 1;
    int32_t shotMeter = 1;
    int32_t musicVol = 6;
    int32_t sfxVol = 8;
    int32_t fullscreen = 0;
    std::string alias;
};

constexpr int kAliasMaxLength = 14;

// The target scores the gameTo setting chooses from.
constexpr int32_t kGameToScores[3] = {11, 15, 21};
// The score of a gameTo choice: 0 gives 11, 1 gives 15, any other 21.
constexpr int32_t gameToScore(int32_t choice) { return kGameToScores[choice == 0 ? 0 : choice == 1 ? 1 : 2]; }
// The choice of a target score: 11 gives 0, 15 gives 1, any other 2.
constexpr int32_t gameToChoice(int32_t score) {
    return score == kGameToScores[0] ? 0 : score == kGameToScores[1] ? 1 : 2;
}

constexpr const char* kSettingsFileName = "korvalo_settings.cfg";

extern Settings settings;
extern Settings savedSettings; // the user's own values while an online match runs
extern std::string settingsPath; // where the program keeps its settings file
// The options menu's mouse-sensitivity row (0..9); mouseSens is this plus one.
extern int mouseSensIndex;

void readSettings(Settings& s, const std::string& path);
// Writes the whole file to a temporary of its own beside it, flushes it to
// disk and renames it over, so an interrupted write or a second copy of the
// game saving at the same moment never leaves a truncated file. A symbolic
// link is followed and the file it names is replaced. A file without write
// permission, and a link that cannot be resolved (a loop), are left as they
// are. Temporaries left beside it by a save that was killed are removed once
// their process no longer runs and they are over a minute old. Returns false
// on failure, and the first failure of the run is told on standard error with
// the path.
bool saveSettings(const Settings& s, const std::string& path);
// The alias as the game keeps it: control bytes and bytes that are not part
// of a whole UTF-8 character dropped, then cut to at most kAliasMaxLength
// bytes without splitting a character. Applied when the file is read and
// written, and by the alias entry on every edit.
std::string cleanAlias(std::string_view text);
// The exact text saveSettings writes.
std::string formatSettings(const Settings& s);
// Takes the edited options into effect (sensitivity, render quality, window
// mode) and saves them to settingsPath.
void applySettings();
