// The movement test ("--movetest"): how the local player starts running from
// a standstill once a match is in live play, measured twice on the same
// match, offline and through the online input path (sampling, the 8-byte
// wire record and back, the fixed 1/60 s net frame). Prints one line per pass.
#pragma once

void runMoveTest();
