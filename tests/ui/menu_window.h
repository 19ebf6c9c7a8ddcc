// The window the menu screens are drawn in by the GL tests: hidden, the
// renderer at its smallest scene target, the game's fonts from beside the
// program, the two figures of the menu backdrop, the arena in the first
// team's colours and the fixed menus. The front end runs on a fixed step
// and as a headless run (no settings file of the user is touched).
#pragma once
#include <string>
#include <raylib.h>

void openMenuWindow(const char* title, const char* settingsFile);
void closeMenuWindow();

// A file under the build tree's test output.
std::string testOutputPath(const char* name);
// The finished 1920x1080 picture of the last frame, upright.
Image uiPicture();
// A 1280x720 canvas point of that picture.
Color canvasPixel(const Image& image, float x, float y);
