// Screenshot and recording runs ("--shot", "--record"): the named scene the
// front end starts in, and what is saved after each frame. Frames are counted
// from 1 after the first frame; the main loop counts front-end frames, the
// "intro" scene counts intro frames. A run ends at its last frame, or at once
// when a picture cannot be written (the run then fails).
#pragma once
#include <string>
#include <vector>

#include "app/command_line.h"

// The front end's fixed step in the "intro" scene, as while recording.
constexpr float kSceneFrameSeconds = 1.0f / 60.0f;
// The pause overlay of the "pause" scene shows on this many last frames.
constexpr int kPauseSceneFrames = 5;

enum class CaptureStep { Continue, Finished, Failed };

// Puts the front end into a scene once start-up is done; an unknown name
// leaves the title screen as start-up left it.
void setUpScene(const std::string& scene);

// Where frame n goes: shotPath itself when the list holds one frame, else
// "<shotPath>_<n>.png"; empty when n is not listed.
std::string shotFileFor(const std::vector<int>& frames, const std::string& shotPath, int n);
// "<dir>/f_%05d.png" for every second frame from the first recorded one,
// numbered from 0 without gaps; empty for the frames in between.
std::string recordFileFor(const std::string& dir, int startFrame, int n);

// The screenshot and recording rules after frame n (the intro's frames too).
CaptureStep captureFrame(const CommandLine& cmd, int n);
// The same after a main-loop frame, and the "pause" scene opens its overlay
// for the last frames once the match runs.
CaptureStep afterSceneFrame(const CommandLine& cmd, int n);
