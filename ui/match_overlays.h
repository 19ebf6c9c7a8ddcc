// The overlays of the in-match frame that sit over the dimmed court: the
// pause view (its menu, the box score and quick tips panels), the CONTROLS
// view, and the menu under the end-of-match screen. The frame decides when
// each shows and handles their input.
#pragma once
#include <raylib.h>

#include "sim/match_state.h"

// The score line of the box score panel: "NKT 3  -  5 CHC".
const char* pauseScoreLine(const MatchState& state);
// "FIRST TO 15  -  PRO": the target score and the CPU level.
const char* pauseRulesLine(const MatchState& state);

void drawPauseView(const MatchState& state);
// The online pause: the match goes on, so the view says so, with
// onlinePauseMenu.
void drawOnlinePauseView();
void drawControlsView();
// matchEndMenu, gold after a win and red after a defeat.
void drawMatchEndMenu(bool victory);
