// The rules draw randomness only from the match's own generator and read no
// clock (that the same inputs replay the same match is the sync test's).
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <gtest/gtest.h>

namespace {

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
