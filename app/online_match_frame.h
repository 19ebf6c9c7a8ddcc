// The online variant of the in-match frame: the party's emotes, the emote
// wheel, the rollback netcode in place of the offline driver, the ping, the
// waiting and notice lines, the online pause overlay and end of match, and a
// timing report (KORVALO_PROF).
#pragma once
#include <raylib.h>

void runOnlineMatchFrame(float dt);
// Plays emote e (0..7) for the local player: sent to the party, shown over
// his head, heard, and felt in the first-person camera.
void triggerEmote(int e);

// The ping's colour band: green below 90 ms, gold to 200 ms, red beyond.
Color pingColor(float pingMs);
