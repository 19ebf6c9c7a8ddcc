// The match is deterministic: offline, the same seed and the same presses of
// the local player over the same frame times give the same match (the sync
// test replays the online path); and the rules draw randomness only from the
// match's own generator and read no clock.
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include <gtest/gtest.h>

#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "sim_fixture.h"

namespace {

// What one offline minute left behind: the match, its image and every event
// it asked the program to play.
struct OfflineRun {
    std::unique_ptr<TestMatch> match;
    MatchSnapshot image;
    std::vector<MatchEvent> events;
};

// A busy minute of offline play: the local player keeps moving, looking
// around and pressing things, over uneven frame times (some too short for a
// tick, some over the cap), as the offline frame hands them to the match.
OfflineRun playOffline(uint32_t seed) {
    OfflineRun run;
    run.match = newMatch({.localIndex = 0, .seed = seed});
    MatchState& s = *run.match;
    const float frameTimes[] = {1.0f / 60, 1.0f / 144, 0.004f, 1.0f / 30, 0.08f, 1.0f / 60};
    float clock = 0;
    for (int f = 0; clock < 60.0f; ++f) {
        RawInput raw;
        raw.moveX = std::sin(f * 0.021f);
        raw.moveY = std::cos(f * 0.013f);
        raw.lookDX = 6.0f * std::sin(f * 0.05f);
        raw.lookDY = 2.0f * std::cos(f * 0.031f);
        raw.sprintPressed = f % 173 == 0;
        raw.shootPressed = f % 97 == 0;
        raw.shootDown = f % 97 < 40;
        raw.shootReleased = f % 97 == 40;
        raw.passPressed = f % 151 == 0;
        raw.leftMousePressed = f % 61 == 0;
        raw.movePressed = f % 89 == 0;
        const float dt = frameTimes[f % std::size(frameTimes)];
        updateMatch(s, dt, toPlayerInput(raw), CameraOptions{});
        run.events.insert(run.events.end(), s.events.begin(), s.events.end());
        s.events.clear();
        clock += dt;
    }
    saveSnapshot(s, run.image);
    return run;
}

TEST(Determinism, SameSeedAndInputsGiveTheSameMatch) {
    const OfflineRun a = playOffline(7);
    const OfflineRun b = playOffline(7);
    EXPECT_TRUE(a.image == b.image) << "the two runs end in different match images";
    ASSERT_EQ(a.events.size(), b.events.size());
    EXPECT_EQ(std::memcmp(a.events.data(), b.events.data(), a.events.size() * sizeof(MatchEvent)), 0);
    ASSERT_EQ(a.match->callouts.size(), b.match->callouts.size());
    for (size_t i = 0; i < a.match->callouts.size(); ++i)
        EXPECT_EQ(a.match->callouts[i].text, b.match->callouts[i].text);
    EXPECT_EQ(std::memcmp(&a.match->camera, &b.match->camera, sizeof(Camera3D)), 0);

    // The minute really was played, and no NaN or infinity got in on the way.
    const MatchState& m = *a.match;
    int attempts = 0;
    for (const Player& p : m.players) attempts += p.fga;
    EXPECT_GT(attempts, 0);
    for (const Player& p : m.players)
        EXPECT_TRUE(std::isfinite(p.pos.x + p.pos.z + p.yaw + p.vel.x + p.vel.z + p.rootHeight));
    EXPECT_TRUE(std::isfinite(m.ball.pos.x + m.ball.pos.y + m.ball.vel.y + m.ball.spinRot.w));
    EXPECT_FALSE(playOffline(8).image == a.image) << "another seed plays the same match";
}

// A call of name( not preceded by a letter, digit, underscore or member access.
bool callsFunction(const std::string& text, const std::string& name) {
    for (size_t at = text.find(name + "("); at != std::string::npos; at = text.find(name + "(", at + 1)) {
        const char before = at > 0 ? text[at - 1] : ' ';
        if (!std::isalnum((unsigned char)before) && before != '_' && before != '.' && before != '>') return true;
    }
    return false;
}

TEST(Determinism, RulesUseNoOtherRandomnessOrClock) {
    const char* const calls[] = {"rand", "srand", "GetRandomValue", "SetRandomSeed", "LoadRandomSequence",
                                 "time", "clock", "GetTime", "GetFrameTime"};
    const char* const names[] = {"std::chrono", "random_device", "<random>", "<ctime>"};
    const auto dir = std::filesystem::path(KORVALO_SOURCE_DIR) / "sim";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string body = text.str();
        for (const char* c : calls) EXPECT_FALSE(callsFunction(body, c)) << entry.path() << ": " << c;
        for (const char* n : names) EXPECT_EQ(body.find(n), std::string::npos) << entry.path() << ": " << n;
        ++files;
    }
    EXPECT_GT(files, 10);
}

} // namespace
