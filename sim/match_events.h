// What the match asks the rest of the program to play: sounds, a change of
// music, the crowd's level. The simulation never plays anything itself; it
// appends events to MatchState::events in the order they happen, and the
// frame plays them after the step and empties the list. The netcode drops
// the events of re-simulated ticks, so a rollback is never heard twice.
#pragma once
#include <cstdint>

struct MatchState;

enum MatchEventKind : int32_t {
    EVENT_SOUND = 0, // play sound `id` at volume, pitch and pan
    EVENT_MUSIC = 1, // switch the music to track `id` (0 stops it)
    EVENT_CROWD = 2, // the crowd's level becomes `volume`
};

struct MatchEvent {
    int32_t kind = EVENT_SOUND;
    int32_t id = 0;       // sound id, or music track
    float volume = 0;     // sound volume, or crowd level
    float pitch = 1;
    float pan = 0.5f;     // 0 left, 0.5 centre, 1 right
};

void postSound(MatchState& state, int id, float volume, float pitch, float pan);
void postMusic(MatchState& state, int track);
void postCrowdLevel(MatchState& state, float level);
