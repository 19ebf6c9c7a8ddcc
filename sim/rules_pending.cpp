// Placeholders for the parts of the match that are not written yet. Each one
// does nothing, so a match runs its phases and clocks without players acting.
#include "render/hoop_net.h"
#include "sim/actions.h"
#include "sim/ball.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/scoring.h"
#include "sim/shot_start.h"
#include "sim/starters.h"

void resolvePlayerCollisions(MatchState&) {}
void updateBall(MatchState&, float) {}
void initNet(HoopNet& net) { net = HoopNet{}; }
void stepNet(HoopNet&, float, Vector3, Vector3) {}
void updateJumpShot(MatchState&, Player&, float) {}
void updateDriveFinish(MatchState&, Player&, float) {}
void updateDunk(MatchState&, Player&, float) {}
void throwAlleyOop(MatchState&, Player&) {}
void resolveStealReach(MatchState&, Player&) {}
