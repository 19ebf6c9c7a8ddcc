#include "app/command_line.h"

#include <cstring>

#include "app/run_flags.h"
#include "app/text_numbers.h"

bool quitRequested = false;
bool demoMode = false;
bool autopilot = false;
bool headlessRun = false;
bool scriptedMode = false;
bool noHud = false;
bool moveTest = false;
bool playByPlayLog = false;
int forceOneOnOne = 0;
int forceFullCourt = 0;
int targetFps = 0;
int targetScoreOverride = 0;
int recordStartFrame = 0;
std::string recordDir;
float recordFrameDt = 0;
NetTestConfig netTestConfig;
std::string serverUrl;

namespace {

constexpr float kRecordFrameSeconds = 1.0f / 60.0f;

// Appends every comma-separated piece (empty pieces read as 0); a trailing
// comma adds nothing.
void appendFrames(const char* list, CommandLine& out) {
    const char* p = list;
    while (*p) {
        const char* comma = std::strchr(p, ',');
        const std::string piece = comma ? std::string(p, comma) : std::string(p);
        out.shotFrames.push_back(parseIntSaturating(piece.c_str()));
        out.lastFrame = out.shotFrames.back();
        if (!comma) break;
        p = comma + 1;
    }
}

} // namespace

void resetRunFlags() {
    quitRequested = demoMode = autopilot = headlessRun = false;
    scriptedMode = noHud = moveTest = playByPlayLog = false;
    forceOneOnOne = forceFullCourt = targetFps = targetScoreOverride = recordStartFrame = 0;
    recordDir.clear();
    recordFrameDt = 0;
    netTestConfig = NetTestConfig{};
    serverUrl.clear();
}

void parseCommandLine(int argc, const char* const* argv, CommandLine& out) {
    int i = 1;
    // An option is taken only when all of its arguments exist.
    auto has = [&](int count) { return i + count < argc; };
    while (i < argc) {
        const char* a = argv[i];
        auto is = [&](const char* name, int count) { return std::strcmp(a, name) == 0 && has(count); };
        if (is("--shot", 3)) {
            out.sceneName = argv[i + 1];
            appendFrames(argv[i + 2], out);
            out.shotPath = argv[i + 3];
            i += 4;
        } else if (is("--record", 4)) {
            out.sceneName = argv[i + 1];
            recordStartFrame = parseIntSaturating(argv[i + 2]);
            out.lastFrame = parseIntSaturating(argv[i + 3]);
            recordFrameDt = kRecordFrameSeconds;
            recordDir = argv[i + 4];
            i += 5;
        } else if (is("--server", 1)) {
            serverUrl = argv[i + 1];
            i += 2;
        } else if (is("--net-host", 3)) {
            netTestConfig.active = 1;
            netTestConfig.host = 1;
            netTestConfig.alias = argv[i + 1];
            netTestConfig.mode = argv[i + 2];
            netTestConfig.expectedMembers = parseIntSaturating(argv[i + 3]);
            scriptedMode = true;
            i += 4;
        } else if (is("--net-join", 2)) {
            netTestConfig.active = 1;
            netTestConfig.partyCode = argv[i + 1];
            netTestConfig.alias = argv[i + 2];
            scriptedMode = true;
            i += 3;
        } else if (is("--net-seconds", 1)) {
            netTestConfig.seconds = parseFloatSaturating(argv[i + 1]);
            i += 2;
        } else if (is("--fps", 1)) {
            targetFps = parseIntSaturating(argv[i + 1]);
            i += 2;
        } else if (is("--movetest", 0)) {
            moveTest = true;
            out.simSeconds = 1.0f;
            i += 1;
        } else if (is("--nohud", 0)) {
            noHud = true;
            i += 1;
        } else if (is("--target", 1)) {
            targetScoreOverride = parseIntSaturating(argv[i + 1]);
            i += 2;
        } else if (is("--buildprof", 0)) {
            out.buildProfile = true;
            return;
        } else if (is("--demo", 0)) {
            demoMode = true;
            i += 1;
        } else if (is("--1v1", 0)) {
            forceOneOnOne = 1;
            i += 1;
        } else if (is("--full", 0)) {
            forceFullCourt = 1;
            i += 1;
        } else if (is("--scripted", 0)) {
            scriptedMode = true;
            i += 1;
        } else if (is("--autopilot", 0)) {
            autopilot = true;
            i += 1;
        } else if (is("--log", 0)) {
            playByPlayLog = true;
            i += 1;
        } else if (is("--humantest", 1)) {
            out.humanTest = true;
            out.simSeconds = parseFloatSaturating(argv[i + 1]);
            i += 2;
        } else if (is("--sim", 1)) {
            out.simSeconds = parseFloatSaturating(argv[i + 1]);
            demoMode = true;
            i += 2;
        } else {
            i += 1; // unrecognised, or its arguments run past the end
        }
    }
}

bool isHeadlessRun(const CommandLine& cmd) {
    if (cmd.sceneName || cmd.simSeconds > 0) return true;
    return netTestConfig.active != 0;
}

std::string chooseServerUrl(const std::string& fromOption, const char* envValue) {
    if (!fromOption.empty()) return fromOption;
    if (envValue && *envValue) return envValue;
    return kDefaultServerUrl;
}
