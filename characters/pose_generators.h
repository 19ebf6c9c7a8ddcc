// Pose generators: the building blocks every character pose is made of (an
// idle stance, leg stances solved by IK, a side stance, a bouncing ready
// stance, a run cycle, arm overlays), the ten fixed presets of the menu and
// lineup figures, and the eight emote motions.
//
// A generator writes only the slots it names; callers start from a zeroed
// Pose unless they mean to layer. Lengths scale with the height h (metres).
#pragma once
#include "characters/skeleton.h"

// The clock poseIdle breathes by. animatePlayers sets it every frame: to the
// match clock online (so peers agree), to the front end's clock otherwise.
extern float animationClock;

constexpr int kPosePresetCount = 10;
// The presets the match animation borrows.
constexpr int kPresetBoxOut = 5;
constexpr int kPresetSeated = 7;
constexpr int kEmoteCount = 8;
constexpr float kEmoteSeconds = 2.6f;

// Speech-bubble texts of the emotes, by emote id.
constexpr const char* kEmoteTexts[kEmoteCount] = {"NICE!",      "PASS IT!", "LET'S GO!", "MY BAD",
                                                  "HELP ON D!", "TOO EASY", "OOF",       "GG"};

void poseIdle(Pose& pose, float h);
// Both legs solved by IK; stagger is a fraction of h (foot forward of the hip).
void poseStance(Pose& pose, float h, float drop, float spread0, float spread1, float stagger0, float stagger1);
// A defensive slide; sideSign > 0 leads with side 0, anything else with side 1.
void poseSideStance(Pose& pose, float h, float phase, float sideSign);
// The bouncing ready stance; amount 0..1.
void poseBounce(Pose& pose, float h, float t, float amount);
// Run cycle: strideSign +1 forwards, -1 backwards; turn widens the legs.
void poseRun(Pose& pose, float h, float phase, float speed, float strideSign, float turn);
// Moves the arm slots toward a swaying guard by weight.
void poseArmSway(Pose& pose, float t, float weight);
// Moves arms, trunk and head toward a two-arms-up reach by weight.
void blendArmsRaised(Pose& pose, float weight);

// Preset 0..9 into out (zeroed first); any other kind leaves it zeroed.
void posePreset(int kind, Pose& out, float h, float t);
// The emote's pose t seconds after it started, with a lift (metres, added to
// the root height) and a yaw offset (radians, added to the facing). Returns
// the weight with which to blend it over the current pose: 0 outside the
// 2.6 s of the emote. An unknown emote gives weight 0 and a zeroed pose.
float emotePose(int emote, float t, float h, Pose& out, float& lift, float& yawOffset);
