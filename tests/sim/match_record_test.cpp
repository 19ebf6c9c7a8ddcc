// Whole matches against a record: every frame's state hash and, every few
// frames, the whole snapshot image folded into one digest per mode. The
// digests were taken from a build whose results are known good; a change
// meant only to make the match faster must leave every one of them as it
// is, bit for bit. A change of the rules changes them on purpose: record the
// new digests then (the failure message prints them).
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <string>
#include <gtest/gtest.h>

#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "sim_fixture.h"

namespace {

constexpr int kFrameLimit = 40000; // about eleven minutes of play
constexpr int kSnapshotEvery = 4;

struct Record {
    uint64_t digest;
    int frames;
    int scores[2];
};

struct Mode {
    const char* name;
    MatchOptions options;
    uint32_t humans; // the players (a mask) that follow a fixed script of inputs
    Record expected;
};

struct Digest {
    uint64_t h = 0xCBF29CE484222325ull;
    void byte(uint8_t b) {
        h ^= b;
        h *= 0x100000001B3ull;
    }
    void u32(uint32_t v) {
        for (int k = 0; k < 4; ++k) byte((uint8_t)(v >> (8 * k)));
    }
};

// A small generator of its own, so the script never touches the match's.
struct Script {
    uint32_t x = 12345;
    uint32_t next() {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    }
    float unit() { return (float)(next() >> 8) / 16777216.0f; }
    // Runs, turns, shoots (held for a while), passes and jukes now and then.
    PlayerInput input(int frame, float yaw) {
        PlayerInput in;
        in.valid = 1;
        const float heading = yaw + 6.2831853f * unit();
        in.worldMoveX = (frame / 40) % 5 == 0 ? 0.0f : std::sin(heading);
        in.worldMoveZ = (frame / 40) % 5 == 0 ? 0.0f : std::cos(heading);
        in.moveY = 1.0f;
        in.yaw = heading;
        in.aimWithYaw = (uint8_t)((frame / 90) % 2);
        in.sprintDown = (uint8_t)((frame / 60) % 3 != 0);
        const int beat = frame % 120;
        in.shootDown = (uint8_t)(beat >= 70 && beat < 100);
        in.shootPressed = (uint8_t)(beat == 70);
        in.shootReleased = (uint8_t)(beat == 100);
        in.passPressed = (uint8_t)(next() % 97 == 0);
        in.movePressed = (uint8_t)(next() % 131 == 0);
        in.rightMouseDown = (uint8_t)(next() % 7 == 0);
        in.leftMousePressed = (uint8_t)(next() % 149 == 0);
        return in;
    }
};

Record playWholeMatch(const Mode& mode) {
    auto s = newMatch(mode.options);
    s->humanMask = mode.humans;
    Script script;
    Digest d;
    MatchSnapshot image;
    int frame = 0;
    for (; frame < kFrameLimit && s->phase != PHASE_OVER; ++frame) {
        PlayerInput inputs[4] = {};
        for (int i = 0; i < 4; ++i)
            if (mode.humans >> i & 1u) inputs[i] = script.input(frame, s->players[i].yaw);
        stepMatchFrame(*s, inputs);
        s->events.clear();
        d.u32(hashMatchState(*s));
        if (frame % kSnapshotEvery == 0) {
            saveSnapshot(*s, image);
            for (uint8_t b : image) d.byte(b);
        }
    }
    return {d.h, frame, {s->scores[0], s->scores[1]}};
}

std::string describe(const Record& r) {
    char text[96];
    std::snprintf(text, sizeof text, "{0x%016llXull, %d, {%d, %d}}", (unsigned long long)r.digest, r.frames,
                  r.scores[0], r.scores[1]);
    return text;
}

const Mode kModes[] = {
    {"two on two, half court", {.localIndex = -1, .target = 11, .seed = 2024}, 0,
     {0x30AA2CE5DD2500B6ull, 5130, {12, 9}}},
    {"two on two, full court", {.localIndex = -1, .fullCourt = true, .target = 11, .seed = 2024}, 0,
     {0xC1E6818B3035A419ull, 12971, {9, 11}}},
    {"one on one, half court", {.localIndex = -1, .oneOnOne = true, .target = 11, .seed = 77}, 0,
     {0x73EF445DAD02056Cull, 9114, {4, 11}}},
    {"one on one, full court", {.localIndex = -1, .oneOnOne = true, .fullCourt = true, .target = 11, .seed = 77}, 0,
     {0xFC2CE76181E7A173ull, 7786, {8, 11}}},
    {"two on two, half court, LEGEND, two scripted humans",
     {.localIndex = 0, .difficulty = 3, .target = 11, .seed = 9}, 0b0101,
     {0x225C4335AF3F07F3ull, 15183, {10, 13}}},
    {"two on two, full court, ROOKIE, a scripted human",
     {.localIndex = 0, .fullCourt = true, .difficulty = 0, .target = 11, .seed = 31}, 0b0001,
     {0xF9BF1756D5118100ull, 10306, {5, 12}}},
};

TEST(MatchRecord, WholeMatchesGiveTheRecordedHashesAndSnapshots) {
    for (const Mode& mode : kModes) {
        const Record r = playWholeMatch(mode);
        EXPECT_EQ(describe(r), describe(mode.expected)) << mode.name;
    }
}

} // namespace
