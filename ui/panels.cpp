#include "ui/panels.h"

#include <cmath>
#include <cstdio>

#include "ui/fonts.h"
#include "ui/hud_view.h"
#include "ui/widgets.h"

namespace {

constexpr Color kOffenseHead = {120, 230, 160, 255}, kDefenseHead = {255, 160, 140, 255};
constexpr Color kControlText = {225, 228, 238, 255};
constexpr Color kKeycap = {236, 238, 244, 255}, kKeycapLip = {160, 165, 180, 255}, kKeycapLabel = {20, 22, 30, 255};
constexpr Color kGold = {255, 215, 130, 255};
constexpr float kRowPitch = 24.0f, kTeamGap = 10.0f;
constexpr Color kTitleDepth = {30, 34, 48, 255};
constexpr Color kVictoryAccent = {230, 180, 60, 255}, kDefeatAccent = {200, 40, 40, 255};

struct ControlRow {
    const char* key;
    const char* offense;
    const char* defense;
};
constexpr ControlRow kControls[] = {
    {"MOUSE", "LOOK / AIM - FACE THE HOOP TO SHOOT", "- (CHASE CAMERA FOLLOWS THE PLAY)"},
    {"W A S D", "MOVE", "MOVE  (YOU SLIDE NEAR YOUR MAN)"},
    {"SHIFT / TAB", "SPRINT (HOLD OR TOGGLE, SEE OPTIONS)", "SPRINT TO RECOVER"},
    {"LEFT CLICK", "HOLD TO SHOOT (OR HOLD SPACE)", "STEAL - BEST WHEN THE BALL GLOWS"},
    {"RIGHT CLICK", "PASS  (OFF THE BALL: CALL FOR IT)", "-"},
    {"SPACE", "JUMP SHOT / ALLEY-OOP NEAR THE RIM", "BLOCK / CONTEST / REBOUND"},
    {"Q", "CROSSOVER  (SPRINT: SPIN, S: STEP-BACK)", "-"},
    {"E", "PASS", "STEAL"},
    {"H", "SHOW / HIDE TIPS", "SHOW / HIDE TIPS"},
    {"ESC", "PAUSE", "PAUSE"},
};

struct NoteLine {
    float y;
    const char* text;
    Color color;
};
constexpr NoteLine kNotes[] = {
    {488, "TRACKPAD: EVERYTHING WORKS FROM THE KEYBOARD - SPACE SHOOT, E PASS/STEAL. DEFENSE USES A CHASE CAMERA.",
     kOffenseHead},
    {510, "A QUICK TAP OF SHOOT IS A PUMP FAKE. SPRINT INTO THE LANE AND SHOOT TO DUNK.", kGold},
    {532, "ON DEFENSE: KEEP THE RING UNDER YOUR MAN GREEN. STAND STILL IN STANCE TO DRAW CHARGES.", kGold},
    {554, "FIRST TO THE TARGET SCORE WINS. AFTER A STEAL OR DEFENSIVE REBOUND, CLEAR IT BEHIND THE ARC.", kGold},
    {576, "GAMEPAD: A SHOOT/JUMP, X PASS/STEAL, B DRIBBLE MOVE, RT SPRINT, RIGHT STICK LOOK.", {170, 175, 190, 255}},
};

const char* const kBoxHeads[] = {"PTS", "REB", "AST", "STL", "BLK", "FG"};

} // namespace

void drawControls() {
    drawUiText("OFFENSE", 350, 146, 10, kOffenseHead);
    drawUiText("DEFENSE", 740, 146, 10, kDefenseHead);
    float y = 176;
    for (const ControlRow& row : kControls) {
        const float w = measureUiText(row.key, 10);
        DrawRectangleRounded({150, y - 5, w + 20, 28}, 0.3f, 6, kKeycap);
        DrawRectangleRounded({150, y + 15, w + 20, 8}, 0.5f, 6, kKeycapLip);
        drawUiText(row.key, 160, y + 1, 10, kKeycapLabel);
        drawUiText(row.offense, 350, y + 2, 10, kControlText);
        drawUiText(row.defense, 740, y + 2, 10, kControlText);
        y += 30;
    }
    for (const NoteLine& note : kNotes) drawUiText(note.text, 150, note.y, 10, note.color);
}

std::vector<BoxScoreRow> boxScoreRows(const MatchState& s, float y) {
    std::vector<BoxScoreRow> rows;
    for (const Player& p : s.players) {
        if (!p.present) continue;
        BoxScoreRow row;
        row.player = p.index;
        row.y = y + kRowPitch * (float)(rows.size() + 1) + (p.team == 1 ? kTeamGap : 0);
        row.stripe = sideDisplayColor(s, p.team);
        char name[48];
        std::snprintf(name, sizeof name, "%s%s", playerDisplayName(s, p.index),
                      p.index == localPlayerIndex(s) ? " (YOU)" : "");
        row.name = name;
        const int stats[5] = {p.points, p.rebounds, p.assists, p.steals, p.blocks};
        for (int k = 0; k < 5; ++k) row.stats[k] = stats[k];
        row.fieldGoals = std::to_string(p.fgm) + "-" + std::to_string(p.fga);
        rows.push_back(row);
    }
    return rows;
}

void drawBoxScore(float x, float y) {
    drawUiText("PLAYER", x, y, 10, kGold);
    for (int k = 0; k < 6; ++k) drawUiText(kBoxHeads[k], x + 200 + 50 * (float)k, y, 10, kGold);
    for (const BoxScoreRow& row : boxScoreRows(matchState, y)) {
        DrawRectangle((int)(x - 10), (int)(row.y - 2), 4, 16, row.stripe);
        drawUiText(row.name.c_str(), x, row.y, 10, WHITE);
        for (int k = 0; k < 5; ++k) drawUiText(TextFormat("%d", row.stats[k]), x + 200 + 50 * (float)k, row.y, 10, WHITE);
        drawUiText(row.fieldGoals.c_str(), x + 450, row.y, 10, WHITE);
    }
}

int winningSide(const MatchState& s) {
    if (s.winner == 0 || s.winner == 1) return s.winner;
    return s.scores[1] > s.scores[0] ? 1 : 0;
}

bool endScreenVictory(const MatchState& s) {
    const int local = localPlayerIndex(s);
    return local < 0 || s.players[local].team == winningSide(s);
}

int matchMvp(const MatchState& s) {
    int best = 0;
    auto sum = [&](int i) { return s.players[i].points + s.players[i].rebounds + s.players[i].assists; };
    for (int i = 1; i < 4; ++i)
        if (sum(i) > sum(best)) best = i;
    return best;
}

std::string mvpLine(const MatchState& s) {
    const int i = matchMvp(s);
    if (!s.aliases[i].empty()) return "MVP: " + s.aliases[i];
    const RosterPlayer* r = s.players[i].roster;
    if (!r || !r->first || !r->last) return "MVP:";
    return std::string("MVP: ") + r->first + " " + r->last;
}

bool drawEndScreen() {
    const MatchState& s = matchState;
    DrawRectangle(0, 0, 1280, 720, fade(BLACK, std::fmin(2 * s.phaseTimer, 1.0f) * (170.0f / 255.0f)));
    const bool victory = endScreenVictory(s);
    drawChromeTitle(victory ? "VICTORY" : "DEFEAT", 640, 40, 110, victory ? 1 : 0, kTitleDepth);
    const Team& winners = teams[s.teams[winningSide(s)]];
    drawUiTextCentered(TextFormat("%s %s WIN", winners.city, winners.name), 640, 166, 20, WHITE, true);
    drawPanel({340, 200, 600, 300}, victory ? kVictoryAccent : kDefeatAccent);
    const char* home = teams[s.teams[0]].name;
    const char* away = teams[s.teams[1]].name;
    drawTitleText(home, 370, 222, 30, WHITE);
    const char* homeScore = TextFormat("%d", s.scores[0]);
    drawTitleText(homeScore, 550 - measureTitleText(homeScore, 60), 212, 60, kGold);
    drawTitleText(TextFormat("%d", s.scores[1]), 730, 212, 60, kGold);
    drawTitleText(away, 910 - measureTitleText(away, 30), 222, 30, WHITE);
    drawBoxScore(390, 330);
    drawUiTextCentered(mvpLine(s).c_str(), 640, 470, 20, kGold, true);
    return victory;
}
