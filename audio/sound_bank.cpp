// Recipes of the effect sounds. Each renders a fixed length; the ones with
// noise take it from the shared sequence, so the order of calls matters.
#include "audio/sound_bank.h"

#include <algorithm>
#include <array>

#include "audio/crowd.h"
#include "audio/emote_sounds.h"

namespace {

constexpr float kBeepTail = 0.05f;
constexpr int kBeepTailSamples = 2205;

} // namespace

Samples synthBallBounce() {
    float phase = 0.0f;
    OnePole lp{0.77378863f, 0.22621137f};
    return renderSamples(sampleCount(0.25f), [&](int, float t) {
        phase += (55.0f + 110.0f * decayExp(30.0f * t)) / kSampleRateF;
        float body = sinCycles(phase) * decayExp(20.0f * t);
        float knock = 0.35f * sinCycles(270.0f * t) * decayExp(45.0f * t);
        float l = lp.process(noise());
        return std::tanh(1.4f * (0.9f * decayExp(260.0f * t) * l + knock + body));
    });
}

Samples synthModalHit() {
    struct Mode {
        float hz, amp, decay;
    };
    static constexpr Mode modes[] = {{483, 1.0f, 6},   {1172, 0.7f, 8},   {1978, 0.55f, 11},
                                     {2856, 0.35f, 14}, {3870, 0.22f, 18}, {5120, 0.12f, 24}};
    return renderSamples(sampleCount(0.7f), [&](int, float t) {
        float v = 1.0f + 0.002f * sinCycles(7.0f * t);
        float out = 0.0f;
        for (const Mode& m : modes) out += m.amp * sinCycles(m.hz * v * t) * decayExp(m.decay * t);
        out += 0.6f * noise() * decayExp(300.0f * t);
        return out + 0.5f * sinCycles(120.0f * t) * decayExp(30.0f * t);
    });
}

Samples synthThumpPing() {
    Biquad bp = bandPass(0.06284863f, 1.7657905f, 0.8743028f);
    return renderSamples(sampleCount(0.4f), [&](int, float t) {
        float thump = sinCycles((95.0f + 60.0f * decayExp(40.0f * t)) * t) * decayExp(18.0f * t);
        float slap = 1.4f * decayExp(22.0f * t) * bp.process(noise());
        float ping = 0.3f * (sinCycles(720.0f * t) + 0.5f * sinCycles(1460.0f * t)) *
                     decayExp(35.0f * t);
        return thump + slap + ping;
    });
}

Samples synthSoftThud() {
    Biquad bp1 = bandPass(0.19009762f, 1.3383455f, 0.6198048f);
    Biquad bp2 = bandPass(0.21875528f, 0.8477228f, 0.5624894f);
    return renderSamples(sampleCount(0.5f), [&](int, float t) {
        float env = t < 0.04f ? t / 0.04f : decayExp(9.0f * (t - 0.04f));
        float n = noise();
        float band = bp1.process(n) + 0.6f * bp2.process(n);
        return (0.25f * sinCycles(34.0f * t) + 0.75f) * env * band;
    });
}

Samples synthSqueak() {
    constexpr float kLength = 0.14f;
    float p = 0.0f;
    return renderSamples(sampleCount(kLength), [&](int, float t) {
        float f = 2300.0f + 1100.0f * t / kLength + 120.0f * sinCycles(55.0f * t);
        p += f / kSampleRateF;
        float env = std::sin(kPi * t / kLength);
        return (sinCycles(p) + 0.3f * sinCycles(2.01f * p)) * env * env;
    });
}

Samples synthBuzzer() {
    OnePole lp{0.6521846f, 0.3478154f};
    return renderSamples(sampleCount(1.1f), [&](int, float t) {
        float x = square(196.0f * t, 0.5f, 0.5f, -0.5f) + square(392.5f * t, 0.5f, 0.3f, -0.3f) +
                  0.3f * saw(98.0f * t);
        float env = t < 0.01f ? t / 0.01f : (t > 1.0f ? (1.1f - t) / 0.1f : 1.0f);
        return lp.process(x) * env;
    });
}

Samples synthWhistle() {
    float p = 0.0f;
    return renderSamples(sampleCount(0.55f), [&](int, float t) {
        float w = 0.5f * sinCycles(32.0f * t) + 0.5f;
        p += (2900.0f + 180.0f * w) / kSampleRateF;
        float env = t < 0.02f ? t / 0.02f : (t > 0.45f ? std::max((0.55f - t) / 0.1f, 0.0f) : 1.0f);
        return ((0.6f + 0.4f * w) * sinCycles(p) + 0.08f * noise()) * env;
    });
}

Samples synthBeeps(std::span<const float> frequencies, int count, float noteLength, float duty,
                   float decay) {
    count = std::min(count, (int)frequencies.size());
    if (count <= 0) return Samples((size_t)kBeepTailSamples, 0.0f);
    float notesEnd = (float)count * noteLength;
    return renderSamples(sampleCount(notesEnd) + kBeepTailSamples, [&](int, float t) {
        int k = std::min((int)(t / noteLength), count - 1);
        float env = decayExp(decay * (t - (float)k * noteLength));
        if (t > notesEnd) env *= std::max(1.0f - (t - notesEnd) / kBeepTail, 0.0f);
        float pulse = fract(t * frequencies[(size_t)k]) < duty ? env : -env;
        return 0.5f * pulse;
    });
}

Samples synthLowThump() {
    static constexpr float partials[] = {410.0f, 980.0f, 1630.0f, 2400.0f};
    return renderSamples(sampleCount(0.9f), [&](int, float t) {
        float body = 1.4f * sinCycles((48.0f + 80.0f * decayExp(25.0f * t)) * t) * decayExp(7.0f * t);
        float s = 0.0f;
        for (int k = 1; k <= 4; ++k)
            s += sinCycles(partials[k - 1] * t) * decayExp((4.0f + 3.0f * (float)(k - 1)) * t) / (float)k;
        float crack = noise() * decayExp(90.0f * t);
        return std::tanh(1.2f * (crack + body + (0.3f * sinCycles(18.0f * t) + 0.7f) * 0.6f * s));
    });
}

Samples synthSwoosh() {
    Biquad bp = bandPass(0.11255257f, 1.7168468f, 0.7748949f);
    float p = 0.0f;
    return renderSamples(sampleCount(0.25f), [&](int, float t) {
        float band = bp.process(noise());
        p += (600.0f + 9600.0f * t) / kSampleRateF;
        return decayExp(8.0f * t) * square(p, 0.5f, 0.15f, -0.15f) + 0.8f * sinCycles(2.0f * t) * band;
    });
}

Samples synthReleaseChime() {
    static constexpr float notes[] = {1567.98f, 2093.0f, 2637.0f, 3135.96f};
    return renderSamples(sampleCount(0.6f), [&](int, float t) {
        float out = 0.0f;
        for (int i = 0; i < 4; ++i) {
            float d = t - 0.035f * (float)i;
            if (d < 0.0f) continue;
            float f = notes[i];
            out += 0.5f * sinCycles(f * d) * decayExp(7.0f * d) +
                   0.08f * square(0.5f * f * d, 0.5f, 1.0f, -1.0f) * decayExp(20.0f * d);
        }
        return out;
    });
}

Samples synthJingle() {
    static constexpr float run[] = {60, 64, 67, 72, 76, 79, 84};
    static constexpr float chord[] = {72, 76, 79, 84};
    std::array<float, 7> runHz{};
    std::array<float, 4> chordHz{};
    for (size_t i = 0; i < runHz.size(); ++i) runHz[i] = midiFrequency(run[i]);
    for (size_t i = 0; i < chordHz.size(); ++i) chordHz[i] = midiFrequency(chord[i]);
    Samples y = renderSamples(sampleCount(1.8f), [&](int, float t) {
        float out = 0.0f;
        for (size_t i = 0; i < runHz.size(); ++i) {
            float d = t - 0.07f * (float)i;
            if (d >= 0.0f) out += 0.18f * decayExp(5.0f * d) * square(runHz[i] * d, 0.25f, 1.0f, -1.0f);
        }
        if (t > 0.5f) {
            float u = t - 0.5f;
            for (float f : chordHz) out += 0.06f * decayExp(1.6f * u) * (saw(f * u) + saw(1.005f * f * u));
        }
        return out;
    });
    addEcho(y, 7938, 0.35f);
    return y;
}

Samples synthBuzz() {
    static constexpr float cluster[] = {180, 203, 226, 249, 272, 295};
    Biquad bp1 = bandPass(0.01576504f, 1.9644254f, 0.9684699f);
    Biquad bp2 = bandPass(0.020868102f, 1.9421865f, 0.9582639f);
    return renderSamples(sampleCount(1.4f), [&](int, float t) {
        float s = 0.0f;
        for (float f : cluster) s += 0.08f * saw(f * t * (1.0f - 0.08f * t));
        float x = 0.3f * noise() + s;
        return std::sin(kPi * std::min(t / 1.4f, 1.0f)) * (bp1.process(x) + 0.5f * bp2.process(s));
    });
}

Samples synthPassWhoosh() {
    OnePole lp{0.87965256f, 0.12034744f};
    return renderSamples(sampleCount(0.12f), [&](int, float t) {
        float l = lp.process(noise());
        return (0.6f * sinCycles(160.0f * t) + 2.0f * l) * decayExp(40.0f * t);
    });
}

Samples synthIntroSwell() {
    static constexpr float pad[] = {50, 57, 61, 64, 66};
    static constexpr float bells[] = {78, 81, 85, 88, 90, 93, 97};
    static constexpr float detune[] = {1.0f - 0.004f, 1.0f, 1.0f + 0.004f};
    constexpr float kHit = 1.95f;
    std::array<float, 15> voiceHz{};
    std::array<float, 15> phase{};
    for (int n = 0; n < 5; ++n)
        for (int v = 0; v < 3; ++v) voiceHz[(size_t)(3 * n + v)] = midiFrequency(pad[n]) * detune[v];
    std::array<float, 7> bellHz{};
    for (size_t i = 0; i < bellHz.size(); ++i) bellHz[i] = midiFrequency(bells[i]);
    OnePole lp{0.79615504f, 0.20384496f};
    Samples y = renderSamples(sampleCount(4.8f), [&](int, float t) {
        float x = 0.0f;
        for (size_t v = 0; v < phase.size(); ++v) {
            phase[v] += voiceHz[v] / kSampleRateF;
            x += 0.05f * saw(phase[v]);
        }
        float out = lp.process(x) * smoothstep01(std::min(t / 0.9f, 1.0f)) *
                    (1.0f - smoothstep01(std::max((t - 3.6f) / 1.2f, 0.0f))) *
                    (1.0f + 0.6f * smoothstep01(std::clamp((t - kHit) / 0.4f, 0.0f, 1.0f)));
        if (t >= kHit) {
            float u = t - kHit;
            out += 0.35f * smoothstep01(std::min(u / 0.05f, 1.0f)) * decayExp(2.5f * u) * sinCycles(55.0f * u);
            for (size_t i = 0; i < bellHz.size(); ++i) {
                float d = t - (kHit + 0.075f * (float)i);
                if (d < 0.0f) continue;
                float wobble = 1.0f + 0.003f * sinCycles(6.0f * d);
                out += 0.09f * sinCycles(bellHz[i] * wobble * d) * decayExp(3.2f * d);
            }
        }
        return out;
    });
    addEcho(y, 9261, 0.3f);
    return y;
}

Samples synthSweepChirp() {
    Biquad bp = bandPass(0.11449096f, 1.6508884f, 0.77101815f);
    float p = 0.0f, q = 0.0f;
    return renderSamples(sampleCount(0.62f), [&](int, float t) {
        if (t < 0.1f) {
            p += (380.0f + 2600.0f * std::min(t / 0.07f, 1.0f)) / kSampleRateF;
            return 0.6f * sinCycles(p) * decayExp(30.0f * t) +
                   0.5f * decayExp(45.0f * t) * bp.process(noise());
        }
        if (t >= 0.18f && t < 0.3f) {
            float u = t - 0.18f;
            return 0.6f * noise() * decayExp(420.0f * u) +
                   0.5f * sinCycles((900.0f - 2500.0f * u) * u) * decayExp(40.0f * u);
        }
        if (t > 0.45f) {
            float v = t - 0.45f;
            q += (320.0f - 900.0f * v) / kSampleRateF;
            return 0.55f * sinCycles(q) * std::sin(kPi * std::min(v / 0.13f, 1.0f));
        }
        return 0.0f;
    });
}

std::vector<Samples> synthSoundBank() {
    static constexpr float moveBeeps[] = {880, 1320};
    static constexpr float confirmBeeps[] = {660, 990, 1320, 1760};
    static constexpr float backBeeps[] = {880, 660, 440};
    std::vector<Samples> bank;
    bank.reserve(kSoundCount);
    bank.push_back(synthBallBounce());
    bank.push_back(synthModalHit());
    bank.push_back(synthThumpPing());
    bank.push_back(synthSoftThud());
    bank.push_back(synthSqueak());
    bank.push_back(synthCrowdCheer());
    bank.push_back(synthBuzzer());
    bank.push_back(synthWhistle());
    bank.push_back(synthBeeps(moveBeeps, 2, 0.03f, 0.5f, 30.0f));
    bank.push_back(synthBeeps(confirmBeeps, 4, 0.05f, 0.25f, 12.0f));
    bank.push_back(synthBeeps(backBeeps, 3, 0.045f, 0.5f, 15.0f));
    bank.push_back(synthLowThump());
    bank.push_back(synthSwoosh());
    bank.push_back(synthReleaseChime());
    bank.push_back(synthJingle());
    bank.push_back(synthBuzz());
    bank.push_back(synthPassWhoosh());
    bank.push_back(synthIntroSwell());
    bank.push_back(synthSweepChirp());
    for (int k = 0; k < kEmoteSoundCount; ++k) bank.push_back(renderEmoteSound(k));
    return bank;
}
