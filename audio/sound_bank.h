// The 27 effect sounds of the bank: one generator per SoundId, its peak, and
// the whole bank synthesised in id order (the order fixes each sound's share
// of the shared noise sequence). Ids 19-26 are the emote sounds.
#pragma once
#include <span>
#include <vector>

#include "audio/audio.h"
#include "audio/sample_pipeline.h"

// Peak each bank sound is scaled to when it is converted to 16 bits.
constexpr float kBankPeaks[kSoundCount] = {
    0.9f, 0.6f, 0.75f, 0.6f, 0.35f, 0.8f, 0.6f, 0.5f, 0.35f, 0.4f,
    0.35f, 1.0f, 0.6f, 0.55f, 0.6f, 0.6f, 0.5f, 0.7f, 0.55f,
    0.55f, 0.45f, 0.6f, 0.65f, 0.45f, 0.7f, 0.7f, 0.55f};

Samples synthBallBounce();   // 0
Samples synthModalHit();     // 1
Samples synthThumpPing();    // 2
Samples synthSoftThud();     // 3
Samples synthSqueak();       // 4
Samples synthBuzzer();       // 6
Samples synthWhistle();      // 7
Samples synthLowThump();     // 11
Samples synthSwoosh();       // 12
Samples synthReleaseChime(); // 13
Samples synthJingle();       // 14
Samples synthBuzz();         // 15
Samples synthPassWhoosh();   // 16
Samples synthIntroSwell();   // 17
Samples synthSweepChirp();   // 18
// Square-wave beeps, one note of `noteLength` per frequency (the first
// `count`), then a 0.05 s tail; 8, 9 and 10 are the menu move, confirm, back.
Samples synthBeeps(std::span<const float> frequencies, int count, float noteLength, float duty,
                   float decay);

// Every bank sound, index = SoundId. Sound 5 draws its voices from programRand.
std::vector<Samples> synthSoundBank();
