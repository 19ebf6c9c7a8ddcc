// The "SELECT YOUR SQUAD" screen: the home team, the player to control, the
// opponent and the match rules, with the chosen player's card on the left and
// the four players of the matchup standing in the arena behind it.
//
// squadSelectFrame draws and ends the whole frame. The choices live in the
// squad globals (app/match_start.h) and the settings; every change is saved
// to the settings file at once, and TIP OFF saves and goes to the loading
// screen, where the match starts with these squads. The opponent is never the
// home team.
#pragma once
#include <string>
#include <raylib.h>

#include "sim/match_state.h"
#include "ui/menu.h"

// Rebuilt every frame; its selected row and flash carry over.
extern Menu squadMenu;

// The home team's highlight colour: its primary, or its secondary when the
// primary is too dark to read (r + g + b below 150).
Color squadAccent(const Team& home);

// The opponent after a menu step that may have put it on the home team:
// moving the opponent onto the home team skips it in the direction of
// travel; moving the home team onto the opponent pushes the opponent one on.
int keepOpponentApart(int home, int opponentBefore, int opponentAfter);

// The card's lines: "#23 FIRST LAST" and "GUARD  -  1.93 M".
std::string squadCardName(const RosterPlayer& player);
std::string squadCardDetails(const RosterPlayer& player);
// The line under the menu naming the opponents; in one-on-one the away
// player in the same slot as the one the user controls.
std::string squadSummary(const Team& away, int slot, bool oneOnOne);
// A rating 0..1 as shown on the card: the number (0..99) and the bar's width
// on its 200 px track.
int ratingShown(float rating);
int ratingBarWidth(float rating);

// The eight rows, bound to the squad globals and the settings.
void buildSquadMenu(Menu& menu);
void squadSelectFrame(float dt);
