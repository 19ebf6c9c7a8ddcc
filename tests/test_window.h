// The window of a GL test. Every test program that opens one links
// test_window.cpp, which before any test makes sure there is a display and
// stays connected to it (see there), so that the window below can open.
#pragma once

// InitWindow with the given config flags; a window that cannot open ends the
// program with one line naming the display and the window system's reason,
// since no test can go on without it. Leaves the trace log at warnings and on
// raylib's own output.
void openTestWindow(int width, int height, const char* title, unsigned flags);
