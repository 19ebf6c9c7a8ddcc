// Crowd cheer and crowd bed. The bed is rendered longer than it is kept so
// that its tail can be folded over its start: the loop then has no seam.
#include "audio/crowd.h"

#include <algorithm>
#include <array>

#include "app/program_random.h"

namespace {

constexpr int kCheerVoices = 28;
constexpr int kCrowdRenderSamples = 352800; // 8 s: the swells repeat every 8 s

float randomUnit() { return (float)programRand() / (float)kProgramRandMax; }

struct CheerVoice {
    float hz, start, length, wobbleHz, phase;
};

float cheerEnvelope(float t) {
    if (t < 0.25f) return 4.0f * t;
    if (t <= 2.0f) return 1.0f;
    return std::max((3.2f - t) / 1.2f, 0.0f);
}

} // namespace

Samples synthCrowdCheer() {
    std::array<CheerVoice, kCheerVoices> voices{};
    for (CheerVoice& v : voices) {
        v.hz = randomUnit() * 600.0f + 300.0f;
        v.start = randomUnit() * 1.28f;
        v.length = randomUnit() + 0.4f;
        v.wobbleHz = randomUnit() * 4.0f + 4.0f;
    }
    Biquad bp1 = bandPass(0.076616116f, 1.8375907f, 0.8467677f);
    Biquad bp2 = bandPass(0.11704197f, 1.7257414f, 0.76591605f);
    Biquad bp3 = bandPass(0.17168185f, 1.5075972f, 0.65663624f);
    return renderSamples(sampleCount(3.2f), [&](int, float t) {
        float n = noise();
        float bed = 1.2f * bp1.process(n) + 0.8f * bp2.process(n) + 0.3f * bp3.process(n);
        float sung = 0.0f;
        for (CheerVoice& v : voices) {
            float d = t - v.start;
            if (d < 0.0f || d > v.length) continue;
            float e = std::sin(kPi * d / v.length);
            float w = sinCycles(v.wobbleHz * d);
            v.phase += v.hz * (1.0f + 0.25f * e) * (1.0f + 0.02f * w) / kSampleRateF;
            float tri = std::fabs(fract(v.phase) - 0.5f) * 4.0f - 1.0f;
            sung += (tri * 0.6f + 0.2f * sinCycles(2.0f * v.phase)) * e * 0.06f;
        }
        return (sung + bed) * cheerEnvelope(t);
    });
}

void foldLoopSeam(Samples& y, int keep, int seam) {
    if (keep < 0 || (size_t)keep > y.size()) return;
    seam = std::min(seam, (int)y.size() - keep);
    for (int i = 0; i < seam; ++i) {
        float a = (float)i / (float)seam;
        y[(size_t)i] = a * y[(size_t)i] + (1.0f - a) * y[(size_t)(i + keep)];
    }
    y.resize((size_t)keep);
}

Samples synthCrowdLoop() {
    Biquad bp1 = bandPass(0.06644807f, 1.8623681f, 0.8671038f);
    Biquad bp2 = bandPass(0.10835938f, 1.7572812f, 0.78328127f);
    Samples y = renderSamples(kCrowdRenderSamples, [&](int, float t) {
        float n = noise();
        float band = bp1.process(n) + 0.5f * bp2.process(n);
        float level = 0.75f + 0.12f * sinCycles(3.0f * t / 8.0f) +
                      0.08f * std::sin(kTwoPi * 7.0f * t / 8.0f + 1.3f);
        float clap = fract(3.7f * t + 0.3f * std::sin(1.3f * t));
        float click = 0.08f * decayExp(80.0f * clap) * noise();
        return click + level * band;
    });
    foldLoopSeam(y, kCrowdLoopSamples, kCrowdSeamSamples);
    return y;
}
