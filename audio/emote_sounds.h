// The eight emote sounds (bank ids 19-26). Each is a generator: a callable
// from time to sample holding its own oscillator and filter state, called once
// per sample in increasing time, so rendering one twice does not repeat it.
#pragma once
#include <functional>

#include "audio/sample_pipeline.h"

using SfxGenerator = std::function<float(float)>;

// trunc(seconds x 44100) samples, sample i = generator(i / 44100). An empty
// generator throws std::bad_function_call (unless no sample is asked for).
Samples renderSfx(float seconds, const SfxGenerator& generator);

SfxGenerator sfxPew();
SfxGenerator sfxChirps();
SfxGenerator sfxAirhorn();
SfxGenerator sfxSadTrombone();
SfxGenerator sfxSiren();
SfxGenerator sfxYawn();
SfxGenerator sfxSlideThud();
SfxGenerator sfxKazoo();

// Rendered length of emote k (0..7).
float emoteSoundSeconds(int emote);
// A fresh generator of emote k rendered at its length; empty for a bad index.
Samples renderEmoteSound(int emote);
