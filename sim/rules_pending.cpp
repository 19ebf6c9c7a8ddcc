// Placeholders for the parts of the match that are not written yet. Each one
// does nothing, so a match runs its phases and clocks without players acting.
#include "render/hoop_net.h"
#include "sim/actions.h"
#include "sim/ai.h"
#include "sim/ball.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/starters.h"

void placeCheckBall(MatchState&, int, int* handler, int* checker) { *handler = *checker = -1; }
void flipCourt(MatchState& state) { state.flipped = !state.flipped; }
void resetPossession(MatchState& state, int team) {
    state.offense = team;
    state.phase = PHASE_CHECK_BALL;
    state.phaseTimer = 0;
    state.checkPassDone = 0;
    state.shotClock = 24;
}
void updatePlayerAction(MatchState&, Player&, float) {}
void applyPlayerInput(MatchState&, Player&, const PlayerInput&, float) {}
void startPass(MatchState&, Player&, int) {}
void resolvePlayerCollisions(MatchState&) {}
void updateBall(MatchState&, float) {}
void aiThink(MatchState&, Player&, float) {}
void aiAwareness(MatchState&, float) {}
float coverageScore(const MatchState&, Vector3, const Player&) { return 1; }
void initNet(HoopNet& net) { net = HoopNet{}; }
void stepNet(HoopNet&, float, Vector3, Vector3) {}
