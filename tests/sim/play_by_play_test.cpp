// The play-by-play of a headless match: "korvalo --sim 60 --log" opens with
// the target banner, and its lines keep the log's two formats.
#include <cstdio>
#include <filesystem>
#include <string>
#include <gtest/gtest.h>

namespace {

std::string runProgram(const std::string& args) {
    const std::string command = std::string(KORVALO_BINARY) + " " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

TEST(PlayByPlay, SimulatedMatchOpensWithTheTargetBanner) {
    const std::string out = runProgram("--sim 60 --log");
    const std::string first = out.substr(0, out.find('\n'));
    const auto settingsFile = std::filesystem::path(KORVALO_BINARY).parent_path() / "korvalo_settings.cfg";
    if (std::filesystem::exists(settingsFile)) {
        EXPECT_EQ(first.rfind("[   0.0] 0-0  FIRST TO ", 0), 0u) << first;
    } else {
        EXPECT_EQ(first, "[   0.0] 0-0  FIRST TO 15");
    }
    // Every play-by-play line is a banner ("] a-b  text") or a world text ("]        (text)").
    size_t start = 0;
    int lines = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        start = end == std::string::npos ? out.size() : end + 1;
        if (line.empty() || line[0] != '[') continue;
        ++lines;
        ASSERT_GE(line.size(), 9u) << line;
        EXPECT_EQ(line[7], ']') << line;
        const std::string rest = line.substr(8);
        int a = -1, b = -1, used = 0;
        const bool banner = std::sscanf(rest.c_str(), " %d-%d  %n", &a, &b, &used) == 2 && used > 0;
        const bool world = rest.rfind("        (", 0) == 0 && line.back() == ')';
        EXPECT_TRUE(banner || world) << line;
    }
    EXPECT_GE(lines, 1);
    EXPECT_NE(out.find("sim 60s  score"), std::string::npos);
}

} // namespace
