// Starting an offline match from the squad choices and the settings.
#pragma once

extern int squadTeam;     // home roster team 0..3
extern int squadPlayer;   // the home player (0..1) the user controls
extern int squadOpponent; // away roster team 0..3

// Target score: the "--target" override when >= 1, else 11, 15 or 21 from the setting.
int matchTargetScore();
void startMatch();
