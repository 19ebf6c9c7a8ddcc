// Synthesis without a device: the 16-bit and WAV encodings, the pinned noise
// start, the lengths and loudness of everything made at start-up, the crowd
// loop's seam and the repeatability of the whole content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/program_random.h"
#include "audio/audio.h"
#include "audio/audio_synthesis.h"
#include "audio/crowd.h"
#include "audio/emote_sounds.h"
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

TEST(Pcm16, ScalesToPeakWithFullScale32000AndTruncatesTowardZero) {
    EXPECT_EQ(toPcm16({1.0f, -1.0f, 0.25f}, 1.0f), (std::vector<int16_t>{32000, -32000, 8000}));
    EXPECT_EQ(toPcm16({2.0f, -4.0f}, 0.5f), (std::vector<int16_t>{8000, -16000})); // normalised by |max|
    EXPECT_EQ(toPcm16({1.0f, 0.00001f, -0.00004f}, 1.0f), (std::vector<int16_t>{32000, 0, -1}));
    EXPECT_EQ(toPcm16({1.0f, -1.0f}, 1.5f), (std::vector<int16_t>{32000, -32000})); // clamps, never wraps
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
}

TEST(Noise, StartsFromItsPinnedSeedAndFollowsTheLcg) {
    resetNoise();
    EXPECT_EQ(noiseState(), 0x5EED2024u);
    EXPECT_FLOAT_EQ(noise(), 5662198.0f / 8388607.0f * 2.0f - 1.0f);
    EXPECT_EQ(noiseState(), 0xACCBED33u);
    noise();
    EXPECT_EQ(noiseState(), 0x6D4750F6u);
    noise();
    EXPECT_EQ(noiseState(), 0x1B5613DDu);
}

TEST(SampleCount, TruncatesFloatSecondsTimesTheRate) {
    EXPECT_EQ(sampleCount(1.9f), 83790); // in double it would be 83789
    EXPECT_EQ(sampleCount(0.11f), 4851);
    EXPECT_EQ(sampleCount(-1.0f), 0);
}

TEST(Content, LengthsOfBankMusicAndCrowdLoop) {
    const int expected[kSoundCount] = {11025, 30870, 17640, 22050, 6174,  141120, 48510, 24255, 4851,
                                       11025, 8158,  39690, 11025, 26460, 79380,  61740, 5292,  211680,
                                       27342, 70560, 70560, 88200, 105840, 83790, 66150, 61740, 66150};
    ASSERT_EQ(content().bank.size(), (size_t)kSoundCount);
    for (int id = 0; id < kSoundCount; ++id) EXPECT_EQ(content().bank[(size_t)id].size(), (size_t)expected[id]) << id;
    EXPECT_EQ(content().menuMusic.size(), 1568000u); // 16 bars at 108 BPM
    EXPECT_EQ(content().matchMusic.size(), 717559u); // 8 bars at 118 BPM
    EXPECT_EQ(content().crowdLoop.size(), 330750u);  // 7.5 s
}

TEST(Content, NothingIsSilentOrBroken) {
    std::vector<const Samples*> all = {&content().menuMusic, &content().matchMusic, &content().crowdLoop};
    for (const Samples& s : content().bank) all.push_back(&s);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_GT(largest(*all[i]), 0.05f) << i;
        EXPECT_TRUE(std::all_of(all[i]->begin(), all[i]->end(), [](float x) { return std::isfinite(x); })) << i;
    }
    EXPECT_LT(largest(content().menuMusic), 1.0f); // tanh-saturated, faded at both ends
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

TEST(CrowdLoop, SeamIsContinuous) {
    Samples shortOne(10, 1.0f);
    foldLoopSeam(shortOne, 20, 5); // more kept than made: left alone
    EXPECT_EQ(shortOne.size(), 10u);

    const Samples& loop = content().crowdLoop;
    float step = 0.0f;
    for (size_t i = 1; i < loop.size(); ++i) step = std::max(step, std::fabs(loop[i] - loop[i - 1]));
    float jump = std::fabs(loop.front() - loop.back());
    EXPECT_LE(jump, step);
    EXPECT_LE(jump, 0.2f * largest(loop));
}

TEST(EmoteSounds, IdsAndRenderingAreRangeChecked) {
    EXPECT_EQ(emoteSoundId(0), 19);
    EXPECT_EQ(emoteSoundId(7), 26);
    EXPECT_EQ(emoteSoundId(8), -1);
    EXPECT_EQ(emoteSoundId(-1), -1);
    EXPECT_TRUE(renderEmoteSound(8).empty());
    EXPECT_TRUE(renderEmoteSound(-1).empty());
}

} // namespace
