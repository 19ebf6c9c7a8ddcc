// The conventions every sound generator shares: mono float samples at 44100 Hz,
// one shared noise sequence, biquad filters, and the two converters from float
// samples to playable data (an in-memory 16-bit WAV file for the music streams
// and a raylib Sound for the effects). 16-bit full scale is 32000, not 32767.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include <raylib.h>

using Samples = std::vector<float>;

constexpr int kSampleRate = 44100;
constexpr float kSampleRateF = 44100.0f;
constexpr int kPcmFullScale = 32000;
constexpr float kTwoPi = 6.28318530718f;
constexpr float kPi = 3.14159265359f;

// Samples in a sound of this length: float seconds times the rate, truncated.
int sampleCount(float seconds);
// Time in seconds of sample n.
inline float sampleTime(int n) { return (float)n / kSampleRateF; }

// n samples, sample i = sample(i, t) with t its time, called in increasing order.
template <class F>
Samples renderSamples(int n, F&& sample) {
    Samples out((size_t)(n > 0 ? n : 0));
    for (int i = 0; i < n; ++i) out[(size_t)i] = sample(i, sampleTime(i));
    return out;
}

// The shared noise sequence (a 32-bit linear congruential state). Every
// generator draws from it in the order the sounds are built, so the content is
// the same on every run. resetNoise puts it back to its starting state.
constexpr uint32_t kNoiseSeed = 0x5EED2024u;
void resetNoise();
uint32_t noiseState();
float noise(); // next value, in [-1, 1]

// x - floor(x), inlined: the synthesisers call it several times per sample.
inline float fract(float x) {
    if (!(std::fabs(x) < 2.0e9f)) return x - std::floor(x);
    float whole = (float)(int32_t)x;
    if (whole > x) whole -= 1.0f;
    return x - whole;
}
// sin(2 pi x) of a phase or a frequency-time product in cycles.
inline float sinCycles(float x) { return std::sin(kTwoPi * x); }
// Sawtooth in [-1, 1) of a phase in cycles.
inline float saw(float phase) { return 2.0f * fract(phase) - 1.0f; }
// Pulse wave: `high` for the first `duty` of every cycle, else `low`.
inline float square(float phase, float duty, float high, float low) { return fract(phase) < duty ? high : low; }
// e(x) = exp(-x), the decay every recipe is written with.
inline float decayExp(float x) { return std::exp(-x); }
float midiFrequency(float note);
float smoothstep01(float a); // a squared (3 - 2a)
float clamp01(float x);

// One biquad section: y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2.
struct Biquad {
    float b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    float process(float x) {
        float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};
Biquad makeBiquad(float b0, float b1, float b2, float a1, float a2);
// The band-pass written y = b (x - x[n-2]) + a1 y[n-1] - a2 y[n-2].
Biquad bandPass(float b, float a1, float a2);

// One-pole smoother: state = keep x state + take x input, with both
// coefficients literal as the recipes give them.
struct OnePole {
    float keep = 0, take = 0, state = 0;
    float process(float x) { return state = keep * state + take * x; }
};

// Echo in place, ascending, so each repeat feeds the next: y[i] += gain y[i - delay].
void addEcho(Samples& y, int delay, float gain);

// Scales to the peak (by the largest magnitude, never dividing by less than
// 0.000001), clamps to [-1, 1] and truncates toward zero at 32000 full scale.
std::vector<int16_t> toPcm16(const Samples& samples, float peak);
// A complete mono 16-bit 44100 Hz RIFF/WAVE file: 44 + 2n bytes.
std::vector<uint8_t> encodeWav(const Samples& samples, float peak);
// A raylib Wave (mono, 16-bit, 44100 Hz) over these samples; it does not own them.
Wave monoWave16(std::vector<int16_t>& pcm);
// A raylib Sound over the 16-bit conversion, loaded through the audio device seam.
Sound makeSound(const Samples& samples, float peak);
