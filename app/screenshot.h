// Saving what the player sees: the graded scene with the UI, as the
// renderer's 1920x1080 UI target holds it at the end of a frame.
#pragma once
#include <string>

// Writes the UI target to `path` (the format follows the extension, PNG for
// ".png"). Every pixel is written opaque. Returns false, after one line on
// standard error naming the path, when the file cannot be written.
bool saveScreenshot(const std::string& path);
