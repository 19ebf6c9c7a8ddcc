// Start-up and shutdown in their fixed order. The eight roster characters are
// built on eight threads while the main thread synthesises the audio, builds
// the arena and plays the intro; the threads are joined and the models
// uploaded before any run mode starts.
#pragma once
#include "app/command_line.h"
#include "app/settings.h"

// Brings the program up to the point where a run mode can start. Returns
// false when the program already ended in the intro (the window was closed,
// or the "intro" scene is done): it has then shut down without saving, and
// main returns exitStatus (non-zero when a picture could not be written).
// When no window can be opened (no display) it says so in one line on
// standard error and ends the program with status 1.
bool startUp(const CommandLine& cmd, int& exitStatus);
inline bool startUp(const CommandLine& cmd) {
    int exitStatus = 0;
    return startUp(cmd, exitStatus);
}
// The settings a save at exit writes: the user's own, also while an online
// match has the party's rules in force.
const Settings& settingsToKeep();
// Leaves the party (its connection closed and its worker joined), saves the
// settings when asked, closes the audio and the window.
void shutDown(bool saveUserSettings);

// The intro's clock: it runs at least introLength() seconds and until every
// character is built; a skip (a key, a click or the gamepad's A after 0.3 s)
// jumps toward the end without cutting the builds short.
struct IntroClock {
    float t = 0;
    bool skipRequested = false;
};
// Advances the clock by dt; returns true when the intro is over (before the
// frame is drawn). skipInput: the player asked to skip on this frame.
bool advanceIntro(IntroClock& clock, float dt, int buildsDone, bool skipInput);
