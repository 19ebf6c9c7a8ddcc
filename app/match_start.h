// Starting an offline match from the squad choices and the settings, and
// dressing the arena in the home team's colours.
#pragma once
#include <raylib.h>

#include "sim/match_state.h"

extern int squadTeam;       // home roster team 0..3
extern int squadPlayer;     // the home player (0..1) the user controls
extern int squadOpponent;   // away roster team 0..3
extern int appliedHomeTeam; // the roster team the arena was last built for; -1 before the first build

// What the arena is built with for a home team: its hoop colour (the primary,
// or the secondary darkened to 80 % when the primary is too dark to read),
// its secondary colour, "CITY NAME" for the court, and the four teams'
// colours and names for the banners with the home team's first.
struct HomeTeamLook {
    Color hoopColor = {0, 0, 0, 0};
    Color secondColor = {0, 0, 0, 0};
    char courtText[64] = {};
    Color bannerColors[kRosterTeams] = {};
    const char* bannerNames[kRosterTeams] = {};
};
HomeTeamLook homeTeamLook(const Team roster[kRosterTeams], int team);

// Rebuilds the arena for roster team 0..3 (other values are ignored).
void applyHomeTeam(int team);

// A match between two roster teams, as offline and online starts both set it up.
struct MatchLaunch {
    int home = 0;         // roster team 0..3
    int away = 1;         // roster team 0..3
    int local = -1;       // the local player's index, -1 for none
    int32_t target = 21;  // score that wins
    uint32_t seed = 1;    // the match's random seed
    bool autopilot = false;
};
// Builds the match from scratch and enters it: the arena in the home
// colours (rebuilt only when the home team changed), a fresh MatchState with
// both teams' models and the current settings, its opening whistle and
// crowd, the overlays closed, the match music and the in-game screen.
void launchMatch(const MatchLaunch& m);

// Target score: the "--target" override when >= 1, else 11, 15 or 21 from the setting.
int matchTargetScore();
// What a match takes from the settings and the run flags right now.
MatchSettings currentMatchSettings();
void startMatch();
// Ends an online match (it ended, or the player left it): the user's own
// settings come back in force, an emote wheel still open is shut without
// firing, and the front end returns to the party lobby, or to the online menu
// when the party is gone.
void leaveMatch();
