// Synthesis without a device: the 16-bit and WAV encodings, the noise
// sequence's pinned start, the lengths and loudness of everything made at
// start-up, the crowd loop's seam and the repeatability of the whole content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "app/program_random.h"
#include "audio/audio.h"
#include "audio/audio_synthesis.h"
#include "audio/crowd.h"
#include "audio/emote_sounds.h"
#include "audio/music.h"
#include "audio/sound_bank.h"

namespace {

const AudioContent& content() {
    static const AudioContent c = [] {
        programSrand(1);
        return synthesiseAudio();
    }();
    return c;
}

float largest(const Samples& s) {
    float m = 0.0f;
    for (float x : s) m = std::max(m, std::fabs(x));
    return m;
}

uint32_t readU32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

TEST(Pcm16, ScalesToPeakWithFullScale32000AndTruncatesTowardZero) {
    EXPECT_EQ(toPcm16({1.0f, -1.0f, 0.25f}, 1.0f), (std::vector<int16_t>{32000, -32000, 8000}));
    // Normalised by the largest magnitude: -4 becomes -peak.
    EXPECT_EQ(toPcm16({2.0f, -4.0f}, 0.5f), (std::vector<int16_t>{8000, -16000}));
    // 0.32 and -1.28 of a step truncate toward zero.
    EXPECT_EQ(toPcm16({1.0f, 0.00001f, -0.00004f}, 1.0f), (std::vector<int16_t>{32000, 0, -1}));
    // A peak above 1 clamps rather than wraps.
    EXPECT_EQ(toPcm16({1.0f, -1.0f}, 1.5f), (std::vector<int16_t>{32000, -32000}));
    EXPECT_EQ(toPcm16({0.0f, 0.0f}, 0.9f), (std::vector<int16_t>{0, 0}));
    EXPECT_TRUE(toPcm16({}, 0.9f).empty());
}

TEST(EncodeWav, WritesTheMono16BitHeaderAndLittleEndianSamples) {
    std::vector<uint8_t> wav = encodeWav({0.5f, -1.0f, 0.0f}, 1.0f);
    const uint8_t expected[] = {
        'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
        0x44, 0xAC, 0, 0, 0x88, 0x58, 0x01, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 6, 0, 0, 0,
        0x80, 0x3E, 0x00, 0x83, 0, 0}; // 16000, -32000, 0
    ASSERT_EQ(wav.size(), sizeof expected);
    EXPECT_EQ(0, std::memcmp(wav.data(), expected, sizeof expected));

    std::vector<uint8_t> long_ = encodeWav(Samples(1000, 0.1f), 0.5f);
    EXPECT_EQ(long_.size(), 44u + 2000u);
    EXPECT_EQ(readU32(long_, 4), 2000u + 36u);
    EXPECT_EQ(readU32(long_, 40), 2000u);
}

TEST(Noise, StartsFromItsPinnedSeedAndFollowsTheLcg) {
    resetNoise();
    EXPECT_EQ(noiseState(), 0x5EED2024u);
    float first = noise();
    EXPECT_EQ(noiseState(), 0xACCBED33u);
    EXPECT_FLOAT_EQ(first, 5662198.0f / 8388607.0f * 2.0f - 1.0f);
    noise();
    EXPECT_EQ(noiseState(), 0x6D4750F6u);
    noise();
    EXPECT_EQ(noiseState(), 0x1B5613DDu);
    float low = 1.0f, high = -1.0f;
    for (int i = 0; i < 100000; ++i) {
        float n = noise();
        low = std::min(low, n);
        high = std::max(high, n);
    }
    EXPECT_GE(low, -1.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_LT(low, -0.99f);
    EXPECT_GT(high, 0.99f);
}

TEST(SampleCount, TruncatesFloatSecondsTimesTheRate) {
    // In float, 1.9 s is 83790 samples (in double it would truncate to 83789).
    EXPECT_EQ(sampleCount(1.9f), 83790);
    EXPECT_EQ(sampleCount(0.11f), 4851);
    EXPECT_EQ(sampleCount(0.0f), 0);
    EXPECT_EQ(sampleCount(-1.0f), 0);
}

TEST(Content, EveryBankSoundHasItsLength) {
    const int expected[kSoundCount] = {11025, 30870, 17640, 22050, 6174,  141120, 48510, 24255, 4851,
                                       11025, 8158,  39690, 11025, 26460, 79380,  61740, 5292,  211680,
                                       27342, 70560, 70560, 88200, 105840, 83790, 66150, 61740, 66150};
    ASSERT_EQ(content().bank.size(), (size_t)kSoundCount);
    for (int id = 0; id < kSoundCount; ++id) EXPECT_EQ(content().bank[(size_t)id].size(), (size_t)expected[id]) << id;
}

TEST(Content, MusicAndCrowdLoopHaveTheirLengths) {
    EXPECT_EQ(content().menuMusic.size(), 1568000u); // 16 bars at 108 BPM: 35.56 s
    EXPECT_EQ(content().matchMusic.size(), 717559u); // 8 bars at 118 BPM: 16.27 s
    EXPECT_EQ(content().crowdLoop.size(), 330750u);  // 7.5 s
}

TEST(Content, NothingIsSilentOrBroken) {
    for (int id = 0; id < kSoundCount; ++id) {
        const Samples& s = content().bank[(size_t)id];
        EXPECT_GT(largest(s), 0.05f) << "sound " << id;
        EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](float x) { return std::isfinite(x); })) << id;
    }
    for (const Samples* s : {&content().menuMusic, &content().matchMusic, &content().crowdLoop}) {
        EXPECT_GT(largest(*s), 0.05f);
        EXPECT_TRUE(std::all_of(s->begin(), s->end(), [](float x) { return std::isfinite(x); }));
    }
    // Music is saturated by tanh and faded in and out at its ends.
    EXPECT_LT(largest(content().menuMusic), 1.0f);
    EXPECT_EQ(content().menuMusic.front(), 0.0f);
    EXPECT_EQ(content().matchMusic.back(), 0.0f);
}

TEST(Content, TwoSynthesesAreIdentical) {
    programSrand(1);
    AudioContent again = synthesiseAudio();
    EXPECT_EQ(again.bank, content().bank);
    EXPECT_EQ(again.menuMusic, content().menuMusic);
    EXPECT_EQ(again.matchMusic, content().matchMusic);
    EXPECT_EQ(again.crowdLoop, content().crowdLoop);
}

TEST(Content, OnlyTheCrowdCheerFollowsTheProgramGenerator) {
    programSrand(2);
    resetNoise(); // the bank is the first thing made from the seed
    std::vector<Samples> bank = synthSoundBank();
    for (int id = 0; id < kSoundCount; ++id) {
        if (id == 5) EXPECT_NE(bank[5], content().bank[5]);
        else EXPECT_EQ(bank[(size_t)id], content().bank[(size_t)id]) << id;
    }
}

float largestStep(const Samples& y) {
    float step = 0.0f;
    for (size_t i = 1; i < y.size(); ++i) step = std::max(step, std::fabs(y[i] - y[i - 1]));
    return step;
}

TEST(CrowdLoop, FoldedSeamRunsOnFromTheEndIntoTheStart) {
    // A sine whose period does not divide the kept length would click at the
    // loop point; folded, the jump is one ordinary step of the sine.
    Samples y(1200);
    for (size_t i = 0; i < y.size(); ++i) y[i] = std::sin(0.05f * (float)i);
    EXPECT_GT(std::fabs(y[0] - y[999]), 0.25f); // cut unfolded, it clicks
    foldLoopSeam(y, 1000, 100);
    ASSERT_EQ(y.size(), 1000u);
    EXPECT_NEAR(y[0], std::sin(0.05f * 1000.0f), 1e-6f);
    EXPECT_LE(std::fabs(y[0] - y[999]), 0.051f);
    Samples shortOne(10, 1.0f);
    foldLoopSeam(shortOne, 20, 5); // more kept than made: left alone
    EXPECT_EQ(shortOne.size(), 10u);

    const Samples& loop = content().crowdLoop;
    float jump = std::fabs(loop.front() - loop.back());
    EXPECT_LE(jump, largestStep(loop));
    EXPECT_LE(jump, 0.2f * largest(loop));
}

TEST(RenderSfx, CallsTheGeneratorOncePerSampleInTime) {
    std::vector<float> times;
    Samples s = renderSfx(0.001f, [&](float t) {
        times.push_back(t);
        return 0.5f;
    });
    ASSERT_EQ(s.size(), 44u);
    EXPECT_EQ(times.front(), 0.0f);
    EXPECT_FLOAT_EQ(times[10], 10.0f / 44100.0f);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));

    int calls = 0;
    EXPECT_TRUE(renderSfx(0.00001f, [&](float) { return (float)++calls; }).empty());
    EXPECT_EQ(calls, 0);
    EXPECT_THROW(renderSfx(0.01f, SfxGenerator{}), std::bad_function_call);
}

TEST(RenderSfx, AGeneratorKeepsItsStateBetweenRenderings) {
    SfxGenerator siren = sfxSiren();
    Samples first = renderSfx(0.2f, siren);
    Samples second = renderSfx(0.2f, siren);
    EXPECT_NE(first, second); // the phase carried over
    EXPECT_EQ(renderSfx(0.2f, sfxSiren()), first);
    EXPECT_TRUE(renderEmoteSound(8).empty());
    EXPECT_TRUE(renderEmoteSound(-1).empty());
}

SongSpec tinySong(std::vector<int32_t> melody) {
    SongSpec s = menuSong();
    s.bpm = 240.0f; // one bar is one second
    s.bars = 1;
    s.melody = std::move(melody);
    return s;
}

TEST(ComposeMusic, MelodyRestsHoldsAndEmptiness) {
    resetNoise();
    Samples none = composeMusic(tinySong({}));
    EXPECT_EQ(none.size(), 44100u);
    resetNoise();
    Samples rests = composeMusic(tinySong({kRest, kHold, kRest}));
    EXPECT_EQ(rests, none); // a rest sounds like no lead at all
    resetNoise();
    Samples holdAtStart = composeMusic(tinySong({kHold, kHold}));
    EXPECT_EQ(holdAtStart, none); // a hold at index 0 plays entry 0, itself silent
    resetNoise();
    Samples tune = composeMusic(tinySong({72, kHold, kHold, kRest}));
    EXPECT_NE(tune, none);

    SongSpec broken = tinySong({});
    broken.roots.clear();
    EXPECT_EQ(composeMusic(broken), Samples(44100, 0.0f));
    broken.bars = 0;
    EXPECT_TRUE(composeMusic(broken).empty());
    broken.bars = 1;
    broken.bpm = 0.0f;
    EXPECT_TRUE(composeMusic(broken).empty());
}

TEST(EmoteSoundId, MapsTheEightEmotesAndRejectsTheRest) {
    EXPECT_EQ(emoteSoundId(0), 19);
    EXPECT_EQ(emoteSoundId(7), 26);
    EXPECT_EQ(emoteSoundId(8), -1);
    EXPECT_EQ(emoteSoundId(-1), -1);
}

} // namespace
