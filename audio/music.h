// The music: a small sequencer and synthesiser that renders a song described
// by a SongSpec as five parts (lead, arpeggio, bass, pad, drums) with a shared
// reverb, and the two songs of the game (menus, match).
#pragma once
#include <cstdint>
#include <vector>

#include "audio/sample_pipeline.h"

// Melody entries: a MIDI note starts a note, kHold continues the one before,
// anything below 1 (kRest) starts silence.
constexpr int32_t kHold = -1;
constexpr int32_t kRest = -2;

struct SongSpec {
    float bpm = 120.0f;
    int32_t bars = 0; // length of the song in 4/4 bars
    std::vector<int32_t> roots;               // one per bar, cycled
    std::vector<std::vector<int32_t>> chords; // intervals above the root, one per bar, cycled
    std::vector<int32_t> melody;              // one entry per sixteenth, cycled; empty: no lead
    float leadGain = 1.0f, arpGain = 1.0f, padGain = 1.0f, bassGain = 1.0f, drumGain = 1.0f;
    bool straightKick = false; // kick on every beat instead of the two-beat pattern
};

constexpr float kMenuSongPeak = 0.85f;
constexpr float kMatchSongPeak = 0.7f;

SongSpec menuSong();  // track 1, 108 BPM, 16 bars
SongSpec matchSong(); // track 2, 118 BPM, 8 bars

// trunc(bars x 4 x 60 / bpm x 44100) samples; empty for a song of no length.
Samples composeMusic(const SongSpec& song);
