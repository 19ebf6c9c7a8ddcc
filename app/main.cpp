// Program entry: read the command line, bring the program up in its fixed
// order, hand control to one run mode, and shut down.
#include <cstdio>
#include <cstdlib>
#include <raylib.h>

#include "app/build_profile.h"
#include "app/command_line.h"
#include "app/move_test.h"
#include "app/run_flags.h"
#include "app/scene_capture.h"
#include "app/simulation_run.h"
#include "app/startup.h"
#include "net/party.h"
#include "ui/frontend.h"

int main(int argc, char** argv) {
    // The play-by-play and the test modes' lines reach a pipe or a file as
    // they happen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CommandLine cmd;
    parseCommandLine(argc, argv, cmd);
    if (cmd.buildProfile) return runBuildProfile();
    headlessRun = isHeadlessRun(cmd);
    serverUrl = chooseServerUrl(serverUrl, std::getenv("KORVALO_SERVER"));
    netParty.serverUrl = serverUrl;

    int exitStatus = 0;
    if (!startUp(cmd, exitStatus)) return exitStatus;
    if (cmd.sceneName) setUpScene(*cmd.sceneName);

    if (moveTest) {
        runMoveTest();
        shutDown(false);
        return 0;
    }
    if (cmd.simSeconds > 0) {
        runSimulation(cmd.simSeconds, cmd.humanTest);
        shutDown(false);
        return 0;
    }
    // A screenshot or recording run ends once its frame counter reaches the
    // last frame, so a hidden window never runs for ever.
    const bool sceneRun = cmd.sceneName.has_value();
    CaptureStep step = CaptureStep::Continue;
    int frame = 0;
    while (step == CaptureStep::Continue && !WindowShouldClose() && !quitRequested) {
        frontendFrame();
        ++frame;
        if (sceneRun) step = afterSceneFrame(cmd, frame);
    }
    shutDown(!headlessRun);
    return step == CaptureStep::Failed ? 1 : 0;
}
