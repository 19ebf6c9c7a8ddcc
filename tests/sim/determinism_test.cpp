// The match is deterministic: the same seed and inputs give the same match,
// and the rules draw randomness only from the match's own generator.
#include <cmath>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <gtest/gtest.h>

#include "sim/match_driver.h"
#include "sim_fixture.h"

namespace {

// A busy minute: two people play against each other and keep pressing things.
std::unique_ptr<MatchState> playScripted(uint32_t seed) {
    auto s = newMatch({.localIndex = 0, .seed = seed});
    s->humanMask = 0b0101u;
    for (int t = 0; t < 120 * 60; ++t) {
        PlayerInput in[4] = {};
        for (int i : {0, 2}) {
            in[i].valid = 1;
            in[i].worldMoveX = std::sin(t * 0.013f + i);
            in[i].worldMoveZ = -std::cos(t * 0.007f * (i + 1));
            in[i].sprintDown = (t / 200) % 2;
            in[i].shootPressed = t % (97 + i) == 0;
            in[i].shootDown = (t % (97 + i)) < 50;
            in[i].passPressed = t % 151 == 0;
            in[i].leftMousePressed = t % 61 == 0;
            in[i].movePressed = t % 89 == 0;
        }
        tick(*s, in);
    }
    return s;
}

TEST(Determinism, SameSeedAndInputsGiveTheSameMatch) {
    auto a = playScripted(7);
    auto b = playScripted(7);
    EXPECT_EQ(a->rng, b->rng);
    EXPECT_EQ(a->scores[0], b->scores[0]);
    EXPECT_EQ(a->scores[1], b->scores[1]);
    EXPECT_EQ(a->callouts.size(), b->callouts.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::memcmp(&a->players[i].pos, &b->players[i].pos, sizeof(Vector3)), 0);
        EXPECT_EQ(a->players[i].fga, b->players[i].fga);
    }
    EXPECT_EQ(std::memcmp(&a->ball.pos, &b->ball.pos, sizeof(Vector3)), 0);
    // The minute really was played, and no NaN or infinity got in on the way.
    int attempts = 0;
    for (const Player& p : a->players) attempts += p.fga;
    EXPECT_GT(attempts, 0);
    auto c = playScripted(8);
    EXPECT_NE(a->rng, c->rng);
    for (const Player& p : a->players)
        EXPECT_TRUE(std::isfinite(p.pos.x + p.pos.z + p.yaw + p.vel.x + p.vel.z + p.rootHeight));
    EXPECT_TRUE(std::isfinite(a->ball.pos.x + a->ball.pos.y + a->ball.vel.y + a->ball.spinRot.w));
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
