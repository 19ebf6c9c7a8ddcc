// The intro's timeline without a window: the fades, the letters landing one
// after another, the logo going from grey to colour, and the two sound cues
// playing once per intro whatever the frame rate, a hold or a skip.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/startup.h"
#include "ui/intro.h"
#include "ui/intro_logo.h"

namespace {

TEST(IntroTimeline, FadesHoldAndLettersLandingOneAfterAnother) {
    EXPECT_NEAR(introFade(0.2f), 0.5f, 1e-5f); // in over 0.4 s
    EXPECT_FLOAT_EQ(introFade(4.4f), 0.0f);
    EXPECT_NEAR(introFade(4.65f), 0.5f, 1e-5f); // out from 4.4 to 4.9 s
    EXPECT_FLOAT_EQ(introShownTime(7.5f, true), 4.0f);
    EXPECT_FLOAT_EQ(introShownTime(4.6f, false), 4.6f);
    EXPECT_FALSE(introLetter(0, 6, 2.35f, 0).shown);
    const IntroLetter first = introLetter(0, 6, 2.41f, 0);
    EXPECT_NEAR(first.alpha, 0.5f, 1e-3f);
    EXPECT_NEAR(first.size, 92.0f * (1.0f + 0.35f * std::exp(-14.0f * 0.06f)), 1e-2f);
    EXPECT_NEAR(first.hue, 158.0f, 1e-3f);
    // The last letter starts 5 x 0.055 s later; its pop is over after 0.4 s.
    EXPECT_FALSE(introLetter(5, 6, 2.62f, 0).shown);
    EXPECT_GT(introLetter(5, 6, 2.625f + 0.39f, 0).size, 92.0f);
    EXPECT_FLOAT_EQ(introLetter(5, 6, 2.625f + 0.41f, 0).size, 92.0f);
    EXPECT_NEAR(introLetter(5, 6, 3.0f, 0).hue, 40.0f + 22.0f * std::sin(2.0f), 1e-3f);
}

bool sameColour(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST(IntroLogo, BodyIsGreyBeforeTheWaveAndColouredFromTheTailAfter) {
    const Color grey = {62, 72, 70, 255};
    for (float s : {0.0f, 0.5f, 0.9f}) EXPECT_TRUE(sameColour(logoBodyColour(s, 1.9f, 0), grey)) << s;
    const float clock = 1.0f;
    for (float s : {0.0f, 0.5f, 1.0f}) {
        const float hue = wrapHue(158.0f - 118.0f * s + 22.0f * std::sin(3.0f * s + 0.7f * clock));
        EXPECT_TRUE(sameColour(logoBodyColour(s, 3.2f, clock), ColorFromHSV(hue, 0.78f, 0.93f))) << s;
    }
    // Half-way: the front stands at s = 1 - 1.15 x 0.5; the tail is coloured,
    // the head still grey, and the front itself is lit by the glint.
    const float t = 1.95f + 0.425f, front = 1.0f - 1.15f * 0.5f;
    EXPECT_TRUE(sameColour(logoBodyColour(front + 0.3f, t, 0), logoBodyColour(front + 0.3f, 4.0f, 0)));
    EXPECT_TRUE(sameColour(logoBodyColour(front - 0.3f, t, 0), grey));
    EXPECT_GT(logoBodyColour(front, t, 0).r, 150);
}

// One intro as the start-up loop runs it; returns the cues played, in order.
std::vector<int> cueLog(float dt, int builtAfterFrames, int skipAtFrame) {
    IntroClock clock;
    IntroCues cues;
    std::vector<int> log;
    for (int frame = 0; frame < 5000; ++frame) {
        const int built = frame >= builtAfterFrames ? 8 : 3;
        if (advanceIntro(clock, dt, built, frame == skipAtFrame)) break;
        const int due = introCuesDue(cues, introShownTime(clock.t, built < 8));
        if (due & kIntroSwellCue) log.push_back(17);
        if (due & kIntroChirpCue) log.push_back(18);
    }
    return log;
}

TEST(IntroCueLog, EachCuePlaysOncePerIntro) {
    const std::vector<int> once = {17, 18};
    EXPECT_EQ(cueLog(1.0f / 60, 0, -1), once);
    EXPECT_EQ(cueLog(1.0f / 500, 0, -1), once); // many frames before 0.05 s
    EXPECT_EQ(cueLog(1.0f / 60, 700, -1), once); // held at 4 s until the builds end
    EXPECT_EQ(cueLog(1.0f / 60, 700, 30), once); // skipped to the hold
    EXPECT_EQ(cueLog(1.0f / 60, 0, 30), once);   // skipped to 4.4 s
    // A second intro plays both again.
    IntroCues cues;
    EXPECT_EQ(introCuesDue(cues, 0.01f), kIntroSwellCue);
    EXPECT_EQ(introCuesDue(cues, 2.0f), kIntroChirpCue);
    EXPECT_EQ(introCuesDue(cues, 4.0f), 0);
    EXPECT_EQ(introCuesDue(cues, 0.02f), kIntroSwellCue);
}

} // namespace
