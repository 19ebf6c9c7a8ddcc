// A small automatic player for scripted and test runs: fills the local
// player's RawInput from the live match, as a person at the controls would.
#pragma once
#include "sim/player_input.h"

struct ScriptedInputState {
    float holdTimer = -1.0f;     // seconds the scripted shot has been held; < 0: none
    float nextActionTime = 2.0f; // caller's clock of the next scripted action
    int shots = 0, passes = 0, stealTries = 0, moves = 0;
};

void scriptedInput(RawInput& out, float t, ScriptedInputState& state);
