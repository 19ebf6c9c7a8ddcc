// The shared animation clock: seconds, advanced once per frame by the front
// end. Menu pulses, blinking cursors, shader time, chrome title text and the
// camera shake read it; the match rules never do.
#pragma once

extern float animClock;
