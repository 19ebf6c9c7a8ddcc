// The emote wheel's rules: the dead zone, the sectors, the cursor's reach,
// one emote per opening, and what a release fires.
#include <gtest/gtest.h>

#include "app/emote_wheel.h"
#include "app/match_start.h"
#include "app/online_match_frame.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "render/renderer.h"

namespace {

EmoteWheelInput held(Vector2 motion, int digit = 0) {
    EmoteWheelInput in;
    in.allowed = in.held = true;
    in.motion = motion;
    in.digitKey = digit;
    in.dt = 1.0f / 60.0f;
    return in;
}

EmoteWheelInput letGo() {
    EmoteWheelInput in;
    in.allowed = true;
    return in;
}

} // namespace

TEST(EmoteWheel, SectorsCountClockwiseFromStraightUpOutsideTheDeadZone) {
    EXPECT_EQ(emoteWheelSector({0, -100}), 0);
    EXPECT_EQ(emoteWheelSector({70.7f, -70.7f}), 1);
    EXPECT_EQ(emoteWheelSector({100, 0}), 2);
    EXPECT_EQ(emoteWheelSector({0, 100}), 4);
    EXPECT_EQ(emoteWheelSector({-100, 0}), 6);
    EXPECT_EQ(emoteWheelSector({-70.7f, -70.7f}), 7);
    EXPECT_EQ(emoteWheelSector({-0.1f, 100}), 4); // just left of straight down
    EXPECT_EQ(emoteWheelSector({20, -15}), -1);   // 25 px: inside the dead zone
}

TEST(EmoteWheel, ReleaseFiresTheSelectedSectorOnlyWhenMovedFarEnough) {
    EmoteWheel w;
    EXPECT_EQ(updateEmoteWheel(w, held({10, -10})), -1);
    EXPECT_TRUE(w.open);
    EXPECT_EQ(updateEmoteWheel(w, letGo()), -1); // 14 px: nothing
    EXPECT_FALSE(w.open);

    EXPECT_EQ(updateEmoteWheel(w, held({70.7f, -70.7f})), -1); // up-right, 100 px
    EXPECT_EQ(w.selected, 1);
    EXPECT_EQ(updateEmoteWheel(w, letGo()), 1);
    EXPECT_EQ(updateEmoteWheel(w, letGo()), -1); // already closed

    // A far throw is held at the rim, so coming back needs no long way home.
    EXPECT_EQ(updateEmoteWheel(w, held({0, 900})), -1);
    EXPECT_FLOAT_EQ(w.cursor.y, kWheelCursorMax);
    updateEmoteWheel(w, held({0, -240}));
    EXPECT_EQ(w.selected, 0);
}

TEST(EmoteWheel, ADigitFiresOnceAndTheReleaseThenFiresNothing) {
    EmoteWheel w;
    updateEmoteWheel(w, held({100, 0}));
    EXPECT_EQ(updateEmoteWheel(w, held({0, 0}, 3)), 2);
    EXPECT_EQ(updateEmoteWheel(w, held({0, 0}, 5)), -1);
    EXPECT_EQ(updateEmoteWheel(w, letGo()), -1);
    // A new opening starts afresh.
    EXPECT_EQ(updateEmoteWheel(w, held({0, 0}, 8)), 7);
}

TEST(EmoteWheel, LosingThePermissionReleasesTheWheel) {
    EmoteWheel w;
    updateEmoteWheel(w, held({-100, 0}));
    EmoteWheelInput paused = held({0, 0});
    paused.allowed = false; // the pause overlay opened, or the match ended
    EXPECT_EQ(updateEmoteWheel(w, paused), 6);
    EXPECT_FALSE(w.open);
}

TEST(EmoteWheel, LeavingTheMatchShutsItWithoutFiring) {
    // R held with a sector chosen when the connection dropped: the next
    // match's first frame, R up, must send nothing.
    headlessRun = true;
    renderer.quality = savedSettings.graphics; // no render target to remake
    updateEmoteWheel(emoteWheel, held({0, -100}));
    ASSERT_EQ(emoteWheel.selected, 0);
    leaveMatch();
    EXPECT_FALSE(emoteWheel.open);
    EXPECT_EQ(updateEmoteWheel(emoteWheel, letGo()), -1);
    headlessRun = false;
}

TEST(OnlineFrame, PingColourBands) {
    EXPECT_EQ(pingColor(89.9f).g, 230);
    EXPECT_EQ(pingColor(90).b, 130);
    EXPECT_EQ(pingColor(199).r, 255);
    EXPECT_EQ(pingColor(200).g, 130);
}
