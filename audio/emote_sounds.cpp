// Emote sound generators: small synthesisers written as functions of time
// whose captured state (phases in cycles, filter history) advances per call.
#include "audio/emote_sounds.h"

#include <algorithm>
#include <array>

#include "audio/audio.h"

namespace {

constexpr float kEmoteSeconds[kEmoteSoundCount] = {1.6f, 1.6f, 2.0f, 2.4f, 1.9f, 1.5f, 1.4f, 1.5f};

// Constant-peak band-pass centred on f with the given Q, retuned every sample.
void tuneBandPass(Biquad& f, float hz, float q) {
    float w = kTwoPi * hz / kSampleRateF;
    float alpha = std::sin(w) / q;
    float norm = 1.0f + alpha;
    f.b0 = alpha / norm;
    f.b1 = 0.0f;
    f.b2 = -f.b0;
    f.a1 = -2.0f * std::cos(w) / norm;
    f.a2 = (1.0f - alpha) / norm;
}

} // namespace

Samples renderSfx(float seconds, const SfxGenerator& generator) {
    return renderSamples(sampleCount(seconds), [&](int, float t) { return generator(t); });
}

SfxGenerator sfxPew() {
    static constexpr float kShots[] = {0.35f, 0.75f};
    constexpr float kShotLength = 0.22f;
    constexpr float kTing = 1.2f;
    return [p = 0.0f, q = 0.0f](float t) mutable {
        float out = 0.0f;
        for (float start : kShots) {
            float u = t - start;
            if (u < 0.0f || u >= kShotLength) continue;
            p += (300.0f + 2600.0f * decayExp(14.0f * u)) / kSampleRateF;
            out += 0.5f * decayExp(9.0f * u) * square(p, 0.3f, 1.0f, -1.0f);
        }
        if (t > kTing) {
            float v = t - kTing;
            q += 0.04478458f;
            out += 0.45f * sinCycles(q) * decayExp(6.0f * v) +
                   0.15f * sinCycles(2.76f * q) * decayExp(12.0f * v);
        }
        return out;
    };
}

SfxGenerator sfxChirps() {
    return [p = 0.0f](float t) mutable {
        float within = std::fmod(t, 0.21f);
        if (within > 0.13f) return 0.0f;
        float e = std::sin(kPi * within / 0.13f);
        p += (2400.0f + 900.0f * e + 120.0f * sinCycles(38.0f * t)) / kSampleRateF;
        return 0.55f * e * sinCycles(p) + 0.05f * noise();
    };
}

SfxGenerator sfxAirhorn() {
    struct Blast {
        float start, end;
    };
    static constexpr Blast kBlasts[] = {{0.0f, 0.22f}, {0.3f, 0.52f}, {0.6f, 1.6f}};
    static constexpr float kHz[] = {415.0f, 466.0f, 554.0f};
    Biquad lowPass = makeBiquad(0.02765752f, 0.05531504f, 0.02765752f, -1.5203396f, 0.63096964f);
    return [phase = std::array<float, 3>{}, lowPass](float t) mutable {
        float env = 0.0f;
        for (const Blast& b : kBlasts)
            if (t >= b.start && t <= b.end) env = clamp01((t - b.start) / 0.02f) * clamp01((b.end - t) / 0.05f);
        float bend = t > 0.6f ? -12.0f * clamp01((t - 1.3f) / 0.3f) : 0.0f;
        float sum = 0.0f;
        for (int i = 0; i < 3; ++i) {
            phase[(size_t)i] += (kHz[i] + bend) / kSampleRateF;
            sum += saw(phase[(size_t)i]);
        }
        return lowPass.process(0.28f * env * sum);
    };
}

SfxGenerator sfxSadTrombone() {
    static constexpr float kNotes[] = {311.0f, 293.0f, 277.0f, 262.0f};
    constexpr float kStep = 0.42f;
    Biquad lowPass = makeBiquad(0.009157676f, 0.018315352f, 0.009157676f, -1.8108404f, 0.8474711f);
    return [p = 0.0f, lowPass](float t) mutable {
        int k = std::min((int)(t / kStep), 3);
        float u = t - kStep * (float)k;
        float length = k < 3 ? 0.38f : 1.1f;
        if (u > length) return 0.0f;
        float f = kNotes[k];
        if (k == 3)
            f *= 1.0f + 0.03f * sinCycles(5.5f * u) * clamp01(u / 0.3f) - 0.04f * clamp01((u - 0.7f) / 0.4f);
        p += f / kSampleRateF;
        float env = clamp01(u / 0.05f) * clamp01((length - u) / 0.12f);
        float swell = 0.7f + 0.3f * std::sin(kPi * clamp01(u / length));
        float x = env * swell * (0.5f * saw(p) + square(0.5f * p, 0.5f, 0.08f, -0.08f));
        return lowPass.process(x);
    };
}

SfxGenerator sfxSiren() {
    return [p = 0.0f](float t) mutable {
        float f = 750.0f + 450.0f * (0.5f - 0.5f * std::cos(kTwoPi * 2.1f * t));
        p += f / kSampleRateF;
        float s = 0.45f * sinCycles(p) + square(p, 0.5f, 0.1f, -0.1f);
        return s * clamp01(t / 0.03f) * clamp01((1.9f - t) / 0.2f);
    };
}

SfxGenerator sfxYawn() {
    return [p = 0.0f, bp1 = Biquad{}, bp2 = Biquad{}](float t) mutable {
        float rise;
        if (t < 0.5f) {
            p += (140.0f + 240.0f * t) / kSampleRateF;
            rise = t / 0.6f;
        } else {
            p += (260.0f - 150.0f * std::min(t - 0.5f, 1.0f)) / kSampleRateF;
            rise = std::min(t / 0.6f, 1.0f);
        }
        float open = rise * clamp01((1.5f - t) / 0.6f);
        tuneBandPass(bp1, 400.0f + 450.0f * open, 6.0f);
        tuneBandPass(bp2, 1000.0f + 300.0f * open, 8.0f);
        float x = saw(p) + 0.25f * noise() * (1.0f - open);
        float voice = 0.8f * bp1.process(x) + 0.4f * bp2.process(x);
        return voice * clamp01((1.5f - t) / 0.35f) * clamp01(t / 0.08f) * 0.9f;
    };
}

SfxGenerator sfxSlideThud() {
    return [p = 0.0f](float t) mutable {
        if (t < 0.25f) return 0.0f;
        float out = 0.0f;
        if (t <= 0.75f) {
            float u = t - 0.25f;
            float f = 1900.0f * std::pow(0.16f, 2.0f * u) + 18.0f * sinCycles(9.0f * t);
            p += f / kSampleRateF;
            out = 0.5f * sinCycles(p) * std::min(u / 0.03f, 1.0f) * std::min((0.5f - u) / 0.05f, 1.0f);
        }
        if (t >= 0.72f) {
            float v = t - 0.72f;
            out += (0.55f * sinCycles((70.0f - 30.0f * v) * v) + 0.3f * noise() * decayExp(60.0f * v)) *
                   decayExp(9.0f * v);
        }
        return out;
    };
}

SfxGenerator sfxKazoo() {
    struct Note {
        float start, length, hz;
    };
    static constexpr Note kNotes[] = {{0.0f, 0.13f, 523.0f}, {0.16f, 0.13f, 659.0f}, {0.32f, 0.15f, 784.0f}, {0.5f, 0.9f, 1047.0f}};
    Biquad band = makeBiquad(0.077243686f, 0.0f, -0.077243686f, -1.8139471f, 0.8455126f);
    return [p = 0.0f, band](float t) mutable {
        const Note* note = nullptr;
        for (const Note& n : kNotes)
            if (t >= n.start && t < n.start + n.length) note = &n;
        if (!note) return 0.0f;
        float u = t - note->start;
        p += note->hz * (1.0f + 0.012f * sinCycles(6.0f * u)) / kSampleRateF;
        float x = saw(p) + square(p, 0.2f, 0.6f, -0.6f) + 0.15f * noise();
        return band.process(x) * clamp01(u / 0.015f) * clamp01((note->length - u) / 0.06f) * 0.7f;
    };
}

float emoteSoundSeconds(int emote) {
    return emote >= 0 && emote < kEmoteSoundCount ? kEmoteSeconds[emote] : 0.0f;
}

Samples renderEmoteSound(int emote) {
    using Factory = SfxGenerator (*)();
    static constexpr Factory factories[kEmoteSoundCount] = {sfxPew,  sfxChirps, sfxAirhorn,   sfxSadTrombone,
                                                            sfxSiren, sfxYawn,   sfxSlideThud, sfxKazoo};
    if (emote < 0 || emote >= kEmoteSoundCount) return {};
    return renderSfx(kEmoteSeconds[emote], factories[emote]());
}
