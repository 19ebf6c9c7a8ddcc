// Program-wide run flags and option values, read from the command line once
// before any window exists. All zero, false or empty until then.
#pragma once
#include <string>
#include <vector>

extern bool quitRequested;
extern bool demoMode;
extern bool autopilot;
extern bool headlessRun;
extern bool scriptedMode;
extern bool noHud;
extern bool moveTest;
extern bool playByPlayLog;
extern int forceOneOnOne;
extern int forceFullCourt;
extern int targetFps;
extern int targetScoreOverride;
extern int recordStartFrame;
extern std::string recordDir; // empty: not recording
extern float recordFrameDt;

// The scripted online test run ("--net-host", "--net-join", "--net-seconds")
// and its progress.
struct NetTestConfig {
    int active = 0;
    int host = 0;
    std::string alias;
    std::string mode = "2v2";
    int expectedMembers = 2;
    std::string partyCode;
    float seconds = 30.0f;
    float testClock = 0;  // seconds since the test began, 1/60 a frame
    float matchClock = 0; // seconds of the online match, 1/60 a frame
    bool settingsPushed = false;
    int nextCheckTick = 300;
};
extern NetTestConfig netTestConfig;

// The party server URL: "--server", then KORVALO_SERVER, then the built-in default.
extern std::string serverUrl;
