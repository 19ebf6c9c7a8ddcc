// Placeholders for the parts of the match that are not written yet. Each one
// does nothing, so a match runs its phases and clocks without players acting.
#include "sim/contact.h"

void resolvePlayerCollisions(MatchState&) {}
void resolveStealReach(MatchState&, Player&) {}
void gainPossession(MatchState&, Player&, int) {}
