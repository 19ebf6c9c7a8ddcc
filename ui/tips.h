// The tips: the in-match coaching of the local player. A toast when tips are
// switched on or off, one situational hint above the scoreboard (the most
// useful action right now, with its key), and a column of control rows at
// the bottom right for the current situation.
//
// buildTips decides what shows from the match and whether tips are on;
// drawTips draws that. The H key and the toast timer belong to the in-match frame.
#pragma once
#include <string>
#include <vector>
#include <raylib.h>

#include "sim/match_state.h"

struct TipRow {
    const char* key = nullptr;       // a key label, or none
    const char* secondKey = nullptr; // a second key label, or none
    std::string text;
};
void pushTipRow(std::vector<TipRow>& rows, TipRow row);

constexpr Color kTipGreen = {120, 255, 170, 255};
constexpr Color kTipRed = {255, 110, 80, 255};
constexpr Color kTipAmber = {255, 200, 90, 255};
constexpr Color kTipWhite = {255, 255, 255, 255};

struct TipHint {
    std::string text; // empty: no hint
    const char* key = nullptr;
    Color color = kTipWhite;
    bool pulse = false;
};

struct TipsModel {
    float toastLevel = 0; // 0: no toast
    const char* toastTitle = nullptr;
    const char* toastSubtitle = nullptr;
    bool showReminder = false; // "H: SHOW TIPS" while tips are off early in the match
    TipHint hint;
    std::vector<TipRow> rows;
};

TipsModel buildTips(const MatchState& state, bool tipsOn);
void drawTips(const MatchState& state);
