// The match's event list: appended in order, emptied by whoever plays it.
#include "sim/match_events.h"

#include "sim/match_state.h"

void postSound(MatchState& s, int id, float volume, float pitch, float pan) {
    s.events.push_back({EVENT_SOUND, id, volume, pitch, pan});
}

void postMusic(MatchState& s, int track) { s.events.push_back({EVENT_MUSIC, track, 0, 1, 0.5f}); }

void postCrowdLevel(MatchState& s, float level) { s.events.push_back({EVENT_CROWD, 0, level, 1, 0.5f}); }
