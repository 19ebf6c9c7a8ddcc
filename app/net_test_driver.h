// The scripted online test run: copies of the program started with
// "--net-host" and "--net-join" play an online match without a person and
// print machine-readable lines (CODE, MEMBER, CHECK, DONE, NETERROR).
#pragma once

// Whether the in-match frame holds the emote wheel open for the test.
extern bool netWheelHold;

// Once per front-end frame; does nothing unless a test run is configured.
void netTestStep();
