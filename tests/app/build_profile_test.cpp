// "--buildprof" as a user runs it: no display needed, the two lines in their
// exact formats, the same checksum on every run and the same as the
// checksum of models built in this process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "app/build_profile.h"
#include "characters/character_builder.h"
#include "sim/match_state.h"

namespace {

std::vector<std::string> runBuildProfileProgram(int& exitCode) {
    // No display: the profile must not open a window.
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(KORVALO_BINARY) + " --buildprof";
    FILE* pipe = popen(command.c_str(), "r");
    std::vector<std::string> lines;
    exitCode = -1;
    if (!pipe) return lines;
    char buf[512];
    std::string text;
    while (std::fgets(buf, sizeof buf, pipe)) text += buf;
    const int status = pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(BuildProfile, PrintsTheSameChecksumOnEveryRunWithoutADisplay) {
    int code1 = 0, code2 = 0;
    const std::vector<std::string> first = runBuildProfileProgram(code1);
    const std::vector<std::string> second = runBuildProfileProgram(code2);
    EXPECT_EQ(code1, 0);
    EXPECT_EQ(code2, 0);
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    long long verts = 0;
    double pos = 0, seconds = 0;
    char hash[17] = {}, tail[64] = {};
    EXPECT_EQ(std::sscanf(first[0].c_str(), "CHECK verts %lld pos %lf colors+faces %16[0-9a-f]%63s", &verts, &pos, hash, tail), 3)
        << first[0];
    EXPECT_EQ(std::strlen(hash), 16u);
    EXPECT_GT(verts, 100000);
    EXPECT_EQ(std::sscanf(first[1].c_str(), "buildprof: %lfs for 8 players on one thread%63s", &seconds, tail), 1)
        << first[1];
    EXPECT_NE(first[1].find("s for 8 players on one thread"), std::string::npos);
    EXPECT_EQ(first[0], second[0]);

    // The checksum covers the eight roster models, in roster order.
    initTeams();
    auto models = std::make_unique<CharacterModel[]>(8);
    for (int i = 0; i < 8; ++i) buildCharacter(models[i], teams[i / 2].players[i % 2].look);
    const BuildChecksum sum = checksumModels({models.get(), 8});
    char line[160];
    std::snprintf(line, sizeof line, "CHECK verts %lld pos %.6f colors+faces %016llx", sum.verts, sum.pos,
                  (unsigned long long)sum.hash);
    EXPECT_EQ(first[0], line);
}

TEST(BuildProfile, ChecksumRules) {
    // Worked out by hand for one model with one head texel and a one-vertex body.
    CharacterModel m;
    m.headPixels = {1, 2, 3, 99};
    m.body.positions = {1, 2, 3, 4, 5, 6, 7, 8};
    m.body.colors = {10, 20};
    const BuildChecksum sum = checksumModels({&m, 1});
    EXPECT_EQ(sum.verts, 2); // 8 floats: two whole vertices
    EXPECT_DOUBLE_EQ(sum.pos, 1 * 1 + 2 * 2 + 3 * 3 + 4 * 4 + 5 * 5 + 6 * 6 + 7 * 7 + 8 * 1);
    uint64_t h = 0x14650FB0739D0383ull;
    h = (h ^ (1 + 256 * 2 + 65536 * 3)) * 0x100000001B3ull; // alpha is left out
    h = (h ^ 10) * 0x100000001B3ull;
    h = (h ^ 20) * 0x100000001B3ull;
    EXPECT_EQ(sum.hash, h);
    EXPECT_EQ(checksumModels({}).hash, 0x14650FB0739D0383ull);
}

} // namespace
