// Noise, filters and the float-to-16-bit converters shared by every generator.
#include "audio/sample_pipeline.h"

#include <algorithm>
#include <cstring>

#include "audio/audio_device.h"

namespace {

constexpr float kMinPeakDivisor = 0.000001f;
constexpr int kWavHeaderBytes = 44;

uint32_t noiseX = kNoiseSeed;

void putU32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = (uint8_t)(v >> (8 * i));
}

void putU16(uint8_t* at, uint16_t v) {
    at[0] = (uint8_t)v;
    at[1] = (uint8_t)(v >> 8);
}

} // namespace

int sampleCount(float seconds) {
    float n = seconds * kSampleRateF;
    if (!(n > 0.0f)) return 0;
    return n < 2.0e9f ? (int)n : 2000000000;
}

void resetNoise() { noiseX = kNoiseSeed; }

uint32_t noiseState() { return noiseX; }

float noise() {
    noiseX = noiseX * 1664525u + 1013904223u;
    return (float)(noiseX >> 9) / 8388607.0f * 2.0f - 1.0f;
}

float midiFrequency(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

float smoothstep01(float a) { return a * a * (3.0f - 2.0f * a); }

float clamp01(float x) { return std::min(std::max(x, 0.0f), 1.0f); }

Biquad makeBiquad(float b0, float b1, float b2, float a1, float a2) {
    Biquad f;
    f.b0 = b0;
    f.b1 = b1;
    f.b2 = b2;
    f.a1 = a1;
    f.a2 = a2;
    return f;
}

Biquad bandPass(float b, float a1, float a2) { return makeBiquad(b, 0.0f, -b, -a1, a2); }

void addEcho(Samples& y, int delay, float gain) {
    for (size_t i = (size_t)delay; i < y.size(); ++i) y[i] += gain * y[i - (size_t)delay];
}

std::vector<int16_t> toPcm16(const Samples& samples, float peak) {
    float largest = 0.0f;
    for (float x : samples) largest = std::max(largest, std::fabs(x));
    float scale = peak / std::max(largest, kMinPeakDivisor);
    std::vector<int16_t> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        // fmin/fmax also turn a stray NaN into a bound instead of an undefined cast.
        float s = std::fmin(std::fmax(samples[i] * scale, -1.0f), 1.0f);
        out[i] = (int16_t)(s * (float)kPcmFullScale);
    }
    return out;
}

std::vector<uint8_t> encodeWav(const Samples& samples, float peak) {
    std::vector<int16_t> pcm = toPcm16(samples, peak);
    uint32_t dataBytes = (uint32_t)(2 * pcm.size());
    std::vector<uint8_t> wav(kWavHeaderBytes + dataBytes);
    uint8_t* h = wav.data();
    std::memcpy(h, "RIFF", 4);
    putU32(h + 4, dataBytes + 36);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    putU32(h + 16, 16);
    putU16(h + 20, 1); // PCM
    putU16(h + 22, 1); // mono
    putU32(h + 24, kSampleRate);
    putU32(h + 28, kSampleRate * 2);
    putU16(h + 32, 2);
    putU16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    putU32(h + 40, dataBytes);
    for (size_t i = 0; i < pcm.size(); ++i) putU16(h + kWavHeaderBytes + 2 * i, (uint16_t)pcm[i]);
    return wav;
}

Wave monoWave16(std::vector<int16_t>& pcm) {
    Wave wave{};
    wave.frameCount = (unsigned int)pcm.size();
    wave.sampleRate = kSampleRate;
    wave.sampleSize = 16;
    wave.channels = 1;
    wave.data = pcm.data();
    return wave;
}

Sound makeSound(const Samples& samples, float peak) {
    std::vector<int16_t> pcm = toPcm16(samples, peak);
    // The loader copies the samples into its own buffer; ours goes with pcm.
    return audioDevice.loadSoundFromWave(monoWave16(pcm));
}
