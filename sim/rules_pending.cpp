// Placeholders for the parts of the match that are not written yet. Each one
// does nothing, so a match runs its phases and clocks without players acting.
#include "characters/animation.h"
#include "sim/actions.h"
#include "sim/ai.h"
#include "sim/ball.h"
#include "sim/camera.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/scoring.h"
#include "sim/shot_start.h"
#include "sim/starters.h"

void resolvePlayerCollisions(MatchState&) {}
void aiThink(MatchState&, Player&, float) {}
void aiAwareness(MatchState&, float) {}
void applyMouseLook(MatchState&, const RawInput&) {}
void followCameraYaw(MatchState&, float) {}
void updatePresentation(MatchState& state, float dt) { ageCallouts(state, dt); }
void animatePlayers(MatchState&, float) {}
void resolveStealReach(MatchState&, Player&) {}
void gainPossession(MatchState&, Player&, int) {}
