// The fixed menus of the game and the ids their rows return, built once at
// start-up by buildMenus and kept for the run; the option rows that edit the
// user settings in place; and the field row of the online menu. The squad
// and lobby menus are rebuilt every frame by their screens; only their ids
// are here.
#pragma once
#include <string>
#include <vector>

#include "ui/menu.h"

// A plain row's id; unique within one menu only.
using MenuAction = int32_t;

enum MainMenuAction : MenuAction {
    MAIN_PLAY_GAME = 1,
    MAIN_OPTIONS = 2,
    MAIN_HOW_TO_PLAY = 3,
    MAIN_QUIT = 4,
    MAIN_ONLINE = 5,
};
constexpr MenuAction kOptionsBack = 9;
enum PauseAction : MenuAction {
    PAUSE_RESUME = 1,
    PAUSE_CONTROLS = 2,
    PAUSE_RESTART = 3,
    PAUSE_QUIT_TO_TITLE = 4,
};
enum MatchEndAction : MenuAction {
    END_REMATCH = 1,
    END_NEW_MATCHUP = 2,
    END_TITLE_SCREEN = 3,
};
enum OnlinePauseAction : MenuAction {
    ONLINE_PAUSE_RESUME = 1,
    ONLINE_PAUSE_CONTROLS = 2,
    ONLINE_PAUSE_LEAVE = 3,
};
// The option rows name themselves by these ids; being choice rows, they are
// never returned. 103 is unused.
enum OptionAction : MenuAction {
    OPTION_SPRINT = 100,
    OPTION_CAMERA = 101,
    OPTION_SHOT_METER = 102,
    OPTION_GRAPHICS = 104,
    OPTION_DIFFICULTY = 105,
    OPTION_MUSIC = 106,
    OPTION_SOUND_FX = 107,
    OPTION_FULLSCREEN = 108,
    OPTION_MOUSE_SENS = 109,
    OPTION_INVERT_LOOK = 110,
    OPTION_TOOLTIPS = 111,
};
enum SquadAction : MenuAction {
    SQUAD_TIP_OFF = 1,
    SQUAD_TEAM = 10,
    SQUAD_PLAYER = 11,
    SQUAD_OPPONENT = 12,
    SQUAD_GAME_TO = 13,
    SQUAD_DIFFICULTY = 14,
    SQUAD_MODE = 15,
    SQUAD_COURT = 16,
};
enum LobbyAction : MenuAction {
    LOBBY_MODE = 200,
    LOBBY_COURT = 201,
    LOBBY_HOME_TEAM = 202,
    LOBBY_AWAY_TEAM = 203,
    LOBBY_GAME_TO = 204,
    LOBBY_CPU_LEVEL = 205,
    LOBBY_SWITCH_SIDES = 210,
    LOBBY_READY_UP = 211,
    LOBBY_START_MATCH = 212,
    LOBBY_LEAVE_PARTY = 213,
};

constexpr int kOptionRowCount = 11;

extern Menu mainMenu;
extern Menu optionsMenu;
extern Menu pauseMenu;
extern Menu matchEndMenu;
extern Menu onlinePauseMenu;

// Choice lists shared by several menus.
extern const std::vector<std::string> kDifficultyChoices; // ROOKIE, PRO, ALL-STAR, LEGEND
extern const std::vector<std::string> kGameToChoices;     // 11, 15, 21

// (Re)builds the five fixed menus; selections and flashes are kept.
void buildMenus();
// Appends the eleven option rows, bound to the settings and mouseSensIndex.
void addOptionItems(Menu& menu);
// "first" .. "10" as text.
std::vector<std::string> numberChoices(int first);
// The four roster teams' names, in roster order.
std::vector<std::string> teamNameChoices();
// One row of the online menu: highlighted when it is the online menu's
// selected row; while editing, the value in gold with a blinking cursor.
void drawMenuField(int row, float y, const char* label, const char* value, bool editing);
