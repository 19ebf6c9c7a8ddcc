// The command line: one pass over the arguments into the run flags (run_flags.h)
// and the values that only main keeps. No option ever fails: missing arguments
// make an option be skipped, bad numbers read as 0.
#pragma once
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    // "--shot" / "--record" scene; none without either. An empty name is a
    // name too: one outside the scene table, which shows the title.
    std::optional<std::string> sceneName;
    std::vector<int> shotFrames;
    int lastFrame = 0;
    std::string shotPath;
    float simSeconds = 0; // > 0 selects a headless simulation run
    bool humanTest = false;
    bool buildProfile = false; // "--buildprof": profile and exit before any window
};

// Reads argv[1..argc-1]; stops at "--buildprof".
void parseCommandLine(int argc, const char* const* argv, CommandLine& out);
// Applied once after the option loop.
bool isHeadlessRun(const CommandLine& cmd);
// "--server", then a non-empty KORVALO_SERVER (envValue may be null), then the default.
std::string chooseServerUrl(const std::string& fromOption, const char* envValue);

constexpr const char* kDefaultServerUrl = "wss://party.korvalo.example";

// Puts every run flag back to its start value (zero, false or empty).
void resetRunFlags();
