// The headless simulation as a user runs it: a whole all-CPU match to 11 opens
// with the target banner, logs every callout in one of two forms, ends with
// consistent box scores, the winning banner, its points and "GAME!", and
// prints the same every run.
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

std::vector<std::string> runLines(const std::string& args) {
    const std::string command = std::string(KORVALO_BINARY) + " " + args + " 2>/dev/null";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return lines;
    std::string text;
    char buf[512];
    while (std::fgets(buf, sizeof buf, pipe)) text += buf;
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(AiProgram, AWholeMatchToElevenWithConsistentBoxScores) {
    const std::vector<std::string> lines = runLines("--sim 1800 --target 11 --log");
    EXPECT_EQ(runLines("--sim 1800 --target 11 --log"), lines);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "[   0.0] 0-0  FIRST TO 11");
    // Every play-by-play line is a banner ("] a-b  text") or a world text ("]        (text)").
    for (const std::string& line : lines) {
        if (line.empty() || line[0] != '[') continue;
        int a = -1, b = -1, used = 0;
        const bool banner = std::sscanf(line.c_str(), "[%*6c] %d-%d  %n", &a, &b, &used) == 2 && used > 0;
        const bool world = line.size() > 17 && line.compare(7, 10, "]        (") == 0 && line.back() == ')';
        EXPECT_TRUE(banner || world) << line;
    }

    size_t summary = 0;
    while (summary < lines.size() && lines[summary].rfind("sim ", 0) != 0) ++summary;
    ASSERT_LT(summary + 4, lines.size());
    int seconds = 0, a = 0, b = 0, over = 0;
    ASSERT_EQ(std::sscanf(lines[summary].c_str(), "sim %ds  score %d-%d  over=%d", &seconds, &a, &b, &over), 4);
    EXPECT_EQ(over, 1);
    EXPECT_GE(std::max(a, b), 11);
    EXPECT_LT(std::min(a, b), 11);

    int team[2] = {0, 0};
    for (int i = 0; i < 4; ++i) {
        char name[16];
        int pts, fgm, fga, tpm, tpa, reb, ast, stl, blk, dnk;
        const std::string& row = lines[summary + 1 + i];
        ASSERT_EQ(std::sscanf(row.c_str(), " %15s pts %d fg %d/ %d 3p %d/%d reb %d ast %d stl %d blk %d dnk %d", name,
                              &pts, &fgm, &fga, &tpm, &tpa, &reb, &ast, &stl, &blk, &dnk),
                  11)
            << row;
        EXPECT_EQ(pts, 2 * (fgm - tpm) + 3 * tpm) << row;
        EXPECT_LE(fgm, fga) << row;
        EXPECT_LE(tpm, tpa) << row;
        team[i / 2] += pts;
    }
    EXPECT_EQ(team[0], a);
    EXPECT_EQ(team[1], b);

    ASSERT_GE(summary, 3u);
    const std::string score = std::to_string(a) + "-" + std::to_string(b);
    EXPECT_NE(lines[summary - 3].find(score), std::string::npos) << lines[summary - 3];
    EXPECT_NE(lines[summary - 2].find("(+"), std::string::npos) << lines[summary - 2];
    EXPECT_NE(lines[summary - 1].find(score + "  GAME!"), std::string::npos) << lines[summary - 1];
}

} // namespace
