// The program's own output against a record: "--sim" matches in the four
// court modes print, line for line, what a build known to be good printed
// (play-by-play, box scores, mesh sizes), and "--buildprof" gives the same
// CHECK line. A change meant only to make the game faster must leave all of
// them as they are. The runs start from a fresh folder holding a copy of the
// program, so no settings file left by another run can change a match.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct RecordedRun {
    const char* record; // file name under tests/app/records
    const char* args;
    bool firstLineOnly;
};

const RecordedRun kRuns[] = {
    {"sim_half_court.txt", "--sim 1800 --target 11 --log", false},
    {"sim_full_court.txt", "--sim 1800 --target 11 --log --full", false},
    {"sim_one_on_one.txt", "--sim 1800 --target 11 --log --1v1", false},
    {"sim_one_on_one_full_court.txt", "--sim 1800 --target 11 --log --1v1 --full", false},
    {"buildprof_check.txt", "--buildprof", true}, // the second line is a time
};

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

TEST(ProgramRecord, SimulationRunsAndBuildCheckPrintTheRecordedLines) {
    const fs::path dir = fs::path(KORVALO_TEST_OUTPUT_DIR) / "program_record";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path binary(KORVALO_BINARY);
    fs::copy_file(binary, dir / "korvalo");
    if (fs::exists(binary.parent_path() / "fonts")) fs::copy(binary.parent_path() / "fonts", dir / "fonts");

    // All runs at once; each writes its own file.
    std::string script = "cd '" + dir.string() + "' && (";
    for (const RecordedRun& r : kRuns)
        script += " ./korvalo " + std::string(r.args) + " > '" + r.record + "' 2>/dev/null &";
    script += " wait)";
    ASSERT_EQ(std::system(script.c_str()), 0);

    const fs::path records = fs::path(KORVALO_SOURCE_DIR) / "tests/app/records";
    for (const RecordedRun& r : kRuns) {
        const std::string expected = readAll(records / r.record);
        const std::string got = readAll(dir / r.record);
        ASSERT_FALSE(expected.empty()) << r.record;
        EXPECT_EQ(r.firstLineOnly ? firstLine(got) : got, expected) << "korvalo " << r.args;
    }
    EXPECT_FALSE(fs::exists(dir / "korvalo_settings.cfg"));
}

} // namespace
