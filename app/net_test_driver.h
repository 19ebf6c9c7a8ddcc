// The scripted online test run: copies of the program started with
// "--net-host" and "--net-join" play an online match without a person and
// print machine-readable lines (CODE, MEMBER, CHECK, DONE, NETERROR).
#pragma once
#include <string>

// Whether the in-match frame holds the emote wheel open for the test.
extern bool netWheelHold;

// Text from the server or other players, fit for one output line: control
// characters (a line break could forge a line of ours) become '?'.
std::string printableText(const std::string& text);

// Once per front-end frame; does nothing unless a test run is configured.
void netTestStep();
