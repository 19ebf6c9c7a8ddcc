// Placeholders for the CPU players, which are not written yet: CPU-controlled
// players stand still, and the coverage ring always shows full coverage.
#include "sim/ai.h"

void aiThink(MatchState&, Player&, float) {}
void aiAwareness(MatchState&, float) {}
float coverageScore(const MatchState&, Vector3, const Player&) { return 1; }
