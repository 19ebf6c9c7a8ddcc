// Placeholders for the parts of the match that are not written yet. Each one
// does nothing, so a match runs its phases and clocks without players acting.
#include "characters/animation.h"
#include "sim/ai.h"
#include "sim/camera.h"

void aiThink(MatchState&, Player&, float) {}
void aiAwareness(MatchState&, float) {}
void applyMouseLook(MatchState&, const RawInput&) {}
void followCameraYaw(MatchState&, float) {}
void updatePresentation(MatchState& state, float dt) { ageCallouts(state, dt); }
void animatePlayers(MatchState&, float) {}
