// Music sequencer and synthesiser. Every part is computed per sample from the
// position in the bar; the drums take their noise from the shared sequence,
// so bars differ from each other but not between runs.
#include "audio/music.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kPadIntervals = 4;
constexpr int kFadeSamples = 882; // 0.02 s at each end
constexpr int kCombDelays[] = {3114, 3234, 2982, 2844};
constexpr float kCombFeedback = 0.78f;
constexpr int kAllPassDelays[] = {450, 1112};
constexpr float kAllPassFeedback = 0.5f;

// Phase step per sample (frequency / 44100) of every MIDI note, looked up
// per sample rather than computed.
struct NoteTable {
    std::array<float, 128> step{};
    NoteTable() {
        for (int n = 0; n < 128; ++n) step[(size_t)n] = midiFrequency((float)n) / kSampleRateF;
    }
    float phaseStep(int note) const { return step[(size_t)std::clamp(note, 0, 127)]; }
};

struct Tempo {
    float beat, bar, step;
    float perBeat, perBar, perStep, perEighth; // reciprocals: positions are products, not divisions
};

// x wrapped into [0, period), as fmod for the non-negative times it is used on.
float wrap(float x, float period, float perPeriod) {
    float r = period * fract(x * perPeriod);
    return r < period ? r : 0.0f;
}

// Position of one sample in the song.
struct BarPosition {
    float t, tb, ts, t8, tq; // time in song, bar, sixteenth, eighth, beat
    int step;                // sixteenth within the bar, 0..15
    int stepCount;           // sixteenths since the start
    int barCount;            // bars since the start
};

BarPosition barPosition(float t, const Tempo& tempo) {
    BarPosition at;
    at.t = t;
    at.tb = wrap(t, tempo.bar, tempo.perBar);
    at.ts = wrap(at.tb, tempo.step, tempo.perStep);
    at.t8 = wrap(at.tb, 2.0f * tempo.step, tempo.perEighth);
    at.tq = wrap(at.tb, tempo.beat, tempo.perBeat);
    // The indices all come from one count, so they always agree with each other.
    at.stepCount = (int)(t * tempo.perStep);
    at.step = at.stepCount % 16;
    at.barCount = at.stepCount / 16;
    return at;
}

// The index of the melody entry that started the note sounding at step m.
size_t noteStart(const std::vector<int32_t>& melody, size_t m) {
    while (m > 0 && melody[m] == kHold) --m;
    return m;
}

float kickHit(float t, float decay) {
    return sinCycles((45.0f + 120.0f * decayExp(35.0f * t)) * t) * decayExp(decay * t);
}

struct PartOutput {
    float dry, send;
};

// What sounds during one sixteenth: phase steps of every pitched voice and
// the lead's note. Worked out once per sixteenth, not per sample.
struct StepNotes {
    float bassStep = 0.0f, arpStep = 0.0f;
    std::array<float, 2 * kPadIntervals> padStep{};
    size_t padVoices = 0;
    bool arp = false;
    size_t leadStart = 0; // melody index that started the sounding note
    int32_t leadNote = 0; // below 1: silent
    size_t leadSteps = 0; // sixteenths since that note started
};

// All synthesiser state of one song rendering.
class SongVoices {
public:
    SongVoices(const SongSpec& song, const Tempo& tempo) : song_(song), tempo_(tempo) {}

    PartOutput sample(const BarPosition& at) {
        if (at.stepCount != stepCount_) {
            stepCount_ = at.stepCount;
            planStep(at);
        }
        float bass = bassPart(at);
        float pad = padPart(at);
        float arp = arpPart(at);
        float lead = leadPart(at);
        float kick = kickPart(at);
        float snare = snarePart(at);
        float hat = hatPart(at);
        float drums = song_.drumGain;
        PartOutput out;
        out.dry = 0.22f * lead + 0.25f * arp + bass + pad + 0.5f * drums * (0.5f * hat + snare + kick);
        out.send = 0.12f * lead + 0.35f * drums * snare + 0.8f * pad + 0.1f * arp;
        return out;
    }

private:
    void planStep(const BarPosition& at) {
        size_t bar = (size_t)(at.barCount % song_.bars);
        int root = song_.roots[bar % song_.roots.size()];
        const std::vector<int32_t>& chord = song_.chords[bar % song_.chords.size()];
        StepNotes& n = notesNow_;
        n.bassStep = notes_.phaseStep((at.step / 2) % 2 == 1 ? root : root - 12); // octave bounce on eighths
        n.padVoices = std::min(chord.size(), (size_t)kPadIntervals);
        for (size_t j = 0; j < n.padVoices; ++j) {
            float step = notes_.phaseStep(root + chord[j]);
            n.padStep[2 * j] = step;
            n.padStep[2 * j + 1] = 1.006f * step;
        }
        n.arp = !chord.empty();
        if (n.arp)
            n.arpStep = notes_.phaseStep(root + 12 + chord[(size_t)at.step % chord.size()] + ((at.step / 4) % 2 == 1 ? 12 : 0));
        const std::vector<int32_t>& melody = song_.melody;
        if (melody.empty()) return;
        size_t m = (size_t)at.stepCount % melody.size();
        n.leadStart = noteStart(melody, m);
        n.leadNote = melody[n.leadStart];
        n.leadSteps = m - n.leadStart;
    }

    float bassPart(const BarPosition& at) {
        bassPhase_ += notesNow_.bassStep;
        float x = square(bassPhase_, 0.3f, 0.4f, -0.4f) + 0.7f * saw(bassPhase_);
        float y = bassFilter_.process(x);
        return (0.8f * decayExp(6.0f * at.t8) + 0.2f) * y * song_.bassGain;
    }

    float padPart(const BarPosition& at) {
        float x = 0.0f;
        for (size_t v = 0; v < 2 * notesNow_.padVoices; ++v) {
            padPhase_[v] += notesNow_.padStep[v];
            x += saw(padPhase_[v]);
        }
        float y = padFilter_.process(0.12f * x);
        return (0.7f + 0.3f * sinCycles(0.25f * at.t)) * std::min(4.0f * at.tb, 1.0f) * y * song_.padGain;
    }

    float arpPart(const BarPosition& at) {
        if (!notesNow_.arp) return 0.0f;
        arpPhase_ += notesNow_.arpStep;
        return square(arpPhase_, 0.25f, 1.0f, -1.0f) * decayExp(18.0f * at.ts) * song_.arpGain;
    }

    float leadPart(const BarPosition& at) {
        if (song_.melody.empty() || notesNow_.leadNote < 1) return 0.0f;
        float u = (float)notesNow_.leadSteps * tempo_.step + at.ts;
        float vibrato = 1.0f + 0.006f * sinCycles(5.5f * at.t) * std::min(3.0f * u, 1.0f);
        leadPhase_ += notes_.phaseStep(notesNow_.leadNote) * vibrato;
        float wave = 0.5f * saw(leadPhase_) + square(leadPhase_, 0.5f, 0.5f, -0.5f);
        return wave * (0.6f + 0.4f * decayExp(4.0f * u)) * song_.leadGain;
    }

    float kickPart(const BarPosition& at) const {
        if (song_.straightKick) return 1.1f * kickHit(at.tq, 7.0f);
        int beat = at.step / 4;
        float kick = beat == 0 || beat == 2 ? 1.1f * kickHit(at.tq, 7.0f) : 0.0f;
        if (at.step == 10) kick += 0.8f * kickHit(at.ts, 9.0f);
        return kick;
    }

    float snarePart(const BarPosition& at) {
        int beat = at.step / 4;
        if (beat != 1 && beat != 3) return 0.0f;
        float bp = snareFilter_.process(noise());
        return (1.4f * bp + 0.5f * sinCycles(190.0f * at.tq)) * decayExp(14.0f * at.tq);
    }

    float hatPart(const BarPosition& at) {
        float hp = hatFilter_.process(noise());
        float k = at.step % 4 == 2 ? 25.0f : 60.0f; // open hat on the off-beat eighths
        return hp * decayExp(k * at.t8);
    }

    const SongSpec& song_;
    Tempo tempo_;
    NoteTable notes_;
    float bassPhase_ = 0.0f, arpPhase_ = 0.0f, leadPhase_ = 0.0f;
    std::array<float, 2 * kPadIntervals> padPhase_{};
    int stepCount_ = -1;
    StepNotes notesNow_;
    Biquad bassFilter_ = makeBiquad(0.0020561481f, 0.0041122963f, 0.0020561481f, -1.9110968f, 0.91932136f);
    Biquad padFilter_ = makeBiquad(0.008684587f, 0.017369173f, 0.008684587f, -1.7172916f, 0.75202996f);
    Biquad snareFilter_ = bandPass(0.13684027f, 1.6698599f, 0.72631943f);
    Biquad hatFilter_ = makeBiquad(0.48204014f, -0.9640803f, 0.48204014f, -0.678175f, 0.24998552f);
};

// One delay line of the reverb, walked one sample per call.
struct DelayLine {
    std::vector<float> buffer;
    size_t at = 0;
    explicit DelayLine(int length) : buffer((size_t)length, 0.0f) {}
    float comb(float in) {
        float out = buffer[at];
        buffer[at] = buffer[at] * kCombFeedback + in;
        advance();
        return out;
    }
    float allPass(float in) {
        float out = buffer[at] - in;
        buffer[at] = buffer[at] * kAllPassFeedback + in;
        advance();
        return out;
    }
    void advance() {
        if (++at == buffer.size()) at = 0;
    }
};

void addReverb(Samples& dry, const Samples& send) {
    std::vector<DelayLine> combs, allPasses;
    for (int d : kCombDelays) combs.emplace_back(d);
    for (int d : kAllPassDelays) allPasses.emplace_back(d);
    for (size_t i = 0; i < dry.size(); ++i) {
        float wet = 0.0f;
        for (DelayLine& c : combs) wet += c.comb(send[i]);
        wet *= 0.25f;
        for (DelayLine& a : allPasses) wet = a.allPass(wet);
        dry[i] += 0.5f * wet;
    }
}

void fadeEndsAndSaturate(Samples& y) {
    size_t n = y.size();
    size_t fade = std::min((size_t)kFadeSamples, n);
    for (size_t i = 0; i < fade; ++i) {
        float g = (float)i / (float)kFadeSamples;
        y[i] *= g;
        y[n - 1 - i] *= g;
    }
    for (float& x : y) x = std::tanh(1.1f * x);
}

std::vector<int32_t> menuMelody() {
    constexpr int32_t H = kHold, R = kRest;
    std::vector<int32_t> m = {
        76, H, H, H, 74, H, 72, H, 74, H, H, H, 69, H, H, H, 72, H, H, H, 69, H, 72, H, 74, H, 76, H, 77, H, H, H,
        76, H, H, H, 79, H, H, H, 76, H, 74, H, 72, H, H, H, 71, H, H, H, 74, H, H, H, 79, H, H, H, R, H, H, H,
        76, H, H, H, 74, H, 72, H, 74, H, H, H, 69, H, 72, H, 77, H, H, H, 76, H, 74, H, 72, H, H, H, 69, H, H, H,
        72, H, 74, H, 76, H, H, H, 79, H, 76, H, 72, H, H, H, 71, H, H, H, H, H, H, H, R, H, H, H, H, H, H, H};
    m.push_back(R); // the second half of the song has no lead
    m.insert(m.end(), 127, H);
    return m;
}

} // namespace

SongSpec menuSong() {
    SongSpec s;
    s.bpm = 108.0f;
    s.bars = 16;
    s.roots = {57, 53, 48, 55, 57, 53, 48, 52};
    s.chords = {{0, 3, 7, 12}, {0, 4, 7, 12}, {0, 4, 7, 12}, {0, 4, 7, 11},
                {0, 3, 7, 10}, {0, 4, 7, 14}, {0, 4, 7, 12}, {0, 4, 7, 10}};
    s.melody = menuMelody();
    s.leadGain = 1.0f;
    s.arpGain = 1.0f;
    s.padGain = 1.0f;
    s.bassGain = 0.9f;
    s.drumGain = 1.0f;
    s.straightKick = false;
    return s;
}

SongSpec matchSong() {
    SongSpec s;
    s.bpm = 118.0f;
    s.bars = 8;
    s.roots = {50, 46, 53, 48};
    s.chords = {{0, 3, 7, 10}, {0, 4, 7, 11}, {0, 4, 7, 9}, {0, 4, 7, 10}};
    s.leadGain = 0.0f;
    s.arpGain = 0.7f;
    s.padGain = 0.7f;
    s.bassGain = 1.0f;
    s.drumGain = 1.0f;
    s.straightKick = true;
    return s;
}

Samples composeMusic(const SongSpec& song) {
    if (!(song.bpm > 0.0f) || song.bars <= 0) return {};
    Tempo tempo;
    tempo.beat = 60.0f / song.bpm;
    tempo.bar = 4.0f * tempo.beat;
    tempo.step = tempo.beat / 4.0f;
    tempo.perBeat = 1.0f / tempo.beat;
    tempo.perBar = 1.0f / tempo.bar;
    tempo.perStep = 1.0f / tempo.step;
    tempo.perEighth = 0.5f * tempo.perStep;
    int n = sampleCount((float)song.bars * 4.0f * 60.0f / song.bpm);
    if (song.roots.empty() || song.chords.empty()) return Samples((size_t)n, 0.0f);
    SongVoices voices(song, tempo);
    Samples dry((size_t)n), send((size_t)n);
    for (int i = 0; i < n; ++i) {
        PartOutput out = voices.sample(barPosition(sampleTime(i), tempo));
        dry[(size_t)i] = out.dry;
        send[(size_t)i] = out.send;
    }
    addReverb(dry, send);
    fadeEndsAndSaturate(dry);
    return dry;
}
