#include "ui/menu_lists.h"

#include <cmath>
#include <string>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "ui/fonts.h"
#include "sim/match_state.h"
#include "ui/frontend.h"

Menu mainMenu;
Menu optionsMenu;
Menu pauseMenu;
Menu matchEndMenu;
Menu onlinePauseMenu;

const std::vector<std::string> kDifficultyChoices = {"ROOKIE", "PRO", "ALL-STAR", "LEGEND"};
const std::vector<std::string> kGameToChoices = [] {
    std::vector<std::string> labels;
    for (int32_t score : kGameToScores) labels.push_back(std::to_string(score));
    return labels;
}();

namespace {

constexpr float kCursorPeriod = 0.9f;
constexpr float kCursorOn = 0.5f;
constexpr Color kFieldBand = {0, 190, 180, 56};
constexpr Color kFieldBar = {0, 190, 180, 255};
constexpr Color kFieldLabel = {190, 195, 210, 255};
constexpr Color kEditingValue = {255, 215, 130, 255};

const std::vector<std::string> kOffOn = {"OFF", "ON"};

MenuItem plainRow(const char* label, MenuAction id) { return MenuItem{label, {}, nullptr, id, true}; }

MenuItem choiceRow(const char* label, std::vector<std::string> choices, int32_t* value, MenuAction id) {
    return MenuItem{label, std::move(choices), value, id, true};
}

} // namespace

std::vector<std::string> numberChoices(int first) {
    std::vector<std::string> out;
    for (int n = first; n <= 10; ++n) out.push_back(std::to_string(n));
    return out;
}

std::vector<std::string> teamNameChoices() {
    std::vector<std::string> names;
    for (const Team& t : teams) names.push_back(t.name);
    return names;
}

void addOptionItems(Menu& m) {
    Settings& s = settings;
    m.items.push_back(choiceRow("TOOLTIPS  (H)", kOffOn, &s.tooltips, OPTION_TOOLTIPS));
    m.items.push_back(choiceRow("SPRINT MODE", {"HOLD", "TOGGLE"}, &s.sprintToggle, OPTION_SPRINT));
    m.items.push_back(choiceRow("CAMERA MOTION", {"OFF", "SUBTLE", "FULL"}, &s.cameraMotion, OPTION_CAMERA));
    m.items.push_back(choiceRow("MOUSE SENSITIVITY", numberChoices(1), &mouseSensIndex, OPTION_MOUSE_SENS));
    m.items.push_back(choiceRow("INVERT LOOK", kOffOn, &s.invertY, OPTION_INVERT_LOOK));
    m.items.push_back(choiceRow("SHOT METER", kOffOn, &s.shotMeter, OPTION_SHOT_METER));
    m.items.push_back(choiceRow("GRAPHICS", {"HIGH", "MEDIUM", "LOW"}, &s.graphics, OPTION_GRAPHICS));
    m.items.push_back(choiceRow("DIFFICULTY", kDifficultyChoices, &s.difficulty, OPTION_DIFFICULTY));
    m.items.push_back(choiceRow("MUSIC", numberChoices(0), &s.musicVol, OPTION_MUSIC));
    m.items.push_back(choiceRow("SOUND FX", numberChoices(0), &s.sfxVol, OPTION_SOUND_FX));
    m.items.push_back(choiceRow("FULLSCREEN", kOffOn, &s.fullscreen, OPTION_FULLSCREEN));
}

void buildMenus() {
    mainMenu.items = {plainRow("PLAY GAME", MAIN_PLAY_GAME), plainRow("ONLINE", MAIN_ONLINE),
                      plainRow("OPTIONS", MAIN_OPTIONS), plainRow("HOW TO PLAY", MAIN_HOW_TO_PLAY),
                      plainRow("QUIT", MAIN_QUIT)};

    optionsMenu.items.clear();
    addOptionItems(optionsMenu);
    optionsMenu.items.push_back(plainRow("BACK", kOptionsBack));

    pauseMenu.items.clear();
    pauseMenu.items.push_back(plainRow("RESUME", PAUSE_RESUME));
    addOptionItems(pauseMenu);
    pauseMenu.items.push_back(plainRow("CONTROLS", PAUSE_CONTROLS));
    pauseMenu.items.push_back(plainRow("RESTART GAME", PAUSE_RESTART));
    pauseMenu.items.push_back(plainRow("QUIT TO TITLE", PAUSE_QUIT_TO_TITLE));

    matchEndMenu.items = {plainRow("REMATCH", END_REMATCH), plainRow("NEW MATCHUP", END_NEW_MATCHUP),
                          plainRow("TITLE SCREEN", END_TITLE_SCREEN)};
    onlinePauseMenu.items = {plainRow("RESUME", ONLINE_PAUSE_RESUME), plainRow("CONTROLS", ONLINE_PAUSE_CONTROLS),
                             plainRow("LEAVE PARTY", ONLINE_PAUSE_LEAVE)};
}

void drawMenuField(int row, float y, const char* label, const char* value, bool editing) {
    const bool selected = row == onlineRow;
    if (selected) {
        DrawRectangle(340, (int)y - 6, 600, 40, kFieldBand);
        DrawRectangle(340, (int)y - 6, 5, 40, kFieldBar);
    }
    drawTitleText(label, 360, y, 28, selected ? WHITE : kFieldLabel);
    if (value[0] == '\0' && !editing) return;
    std::string shown = value;
    if (editing && std::fmod(animClock, kCursorPeriod) < kCursorOn) shown += "_";
    drawUiTextRight(shown.c_str(), 920, y + 6, 20, editing ? kEditingValue : WHITE, true);
}
