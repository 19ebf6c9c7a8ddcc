// The fixed panels of the match overlays: the controls table (the how-to-play
// screen and the pause menu's CONTROLS view, inside a panel the caller
// draws), the box score (the pause overlay and the end screen) and the end of
// a match with its result and MVP. They read the global match.
#pragma once
#include <string>
#include <vector>
#include <raylib.h>

#include "sim/match_state.h"

void drawControls();

// One drawn row of the box score, top at y.
struct BoxScoreRow {
    int player = 0;
    float y = 0;
    Color stripe = {0, 0, 0, 0};
    std::string name; // alias or last name, with " (YOU)" for the local player
    int stats[5] = {}; // points, rebounds, assists, steals, blocks
    std::string fieldGoals; // "made-attempted"
};
// The rows of the present players in player order under a header at y;
// team 1's rows stand 10 px lower, a gap between the teams.
std::vector<BoxScoreRow> boxScoreRows(const MatchState& state, float y);
void drawBoxScore(float x, float y);

// The side that won: the recorded winner, or the side ahead while none is
// recorded (side 0 on a tie).
int winningSide(const MatchState& state);
// A victory for the viewer: nobody plays locally, or his side won.
bool endScreenVictory(const MatchState& state);
// The player with the most points + rebounds + assists; the lowest index
// keeps a tie.
int matchMvp(const MatchState& state);
std::string mvpLine(const MatchState& state);

// Dims the court, names the result and the winners, shows the final score,
// the box score and the MVP. Returns whether it was a victory for the viewer.
bool drawEndScreen();
