// Everything the game plays, synthesised in its fixed order: the 27 bank
// sounds in id order, then the menu and match songs, then the crowd bed. The
// shared noise sequence runs on through all of them.
#pragma once
#include <vector>

#include "audio/sample_pipeline.h"

struct AudioContent {
    std::vector<Samples> bank; // index = SoundId
    Samples menuMusic;         // track 1
    Samples matchMusic;        // track 2
    Samples crowdLoop;
};

constexpr float kCrowdLoopPeak = 0.8f;

// Starts the noise sequence from its seed, so every call gives the same
// content (sound 5 apart, whose voices come from programRand).
AudioContent synthesiseAudio();
