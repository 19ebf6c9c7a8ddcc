// The lineup behind the menus: a few roster characters posed in the arena
// like a photo shoot, under a spot light, with a slowly swaying camera. One
// spins a ball on a finger, one holds it, one dribbles. drawLineupScene
// renders the figures into the scene target through the normal 3D passes;
// the caller then runs renderPost and draws its UI on top.
#pragma once
#include <cstdint>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/skeleton.h"
#include "render/renderer.h"

// Stance ids of a figure.
constexpr int32_t kStanceSpinBall = 0;
constexpr int32_t kStanceHoldBall = 1;
constexpr int32_t kStanceDribble = 2;
constexpr int32_t kStancePlain = 3;
constexpr int32_t kFirstPresetPose = 100; // 100 + preset 0..9
constexpr int32_t kFirstEmotePose = 200;  // 200 + emote 0..7

struct LineupEntry {
    CharacterModel* model = nullptr; // one of characterModels, not owned
    float x = 0, y = 0, z = 0;
    float yaw = 0;
    int32_t poseId = kStancePlain;
};

// A figure posed for one frame.
struct LineupFigure {
    Skeleton skeleton;
    bool hasBall = false;
    Vector3 ball = {0, 0, 0};
    Matrix ballSpin = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// The normal title lineup (-1), the preset galleries (0, 1) and the emote
// pages (2, 3); set only by the screenshot scenes.
extern int lineupPage;
// The dribbling stance bounces the ball once per unit; squad select runs it.
extern float lineupBounce;

struct LineupShot {
    Camera3D camera = {};
    Vector3 focus = {0, 0, 0};
    std::vector<LineupEntry> entries;
};

SceneLighting lineupLighting();
LineupFigure poseLineupEntry(const LineupEntry& entry, float t);
// The menu lineup of a page; closeup moves the normal page's camera in.
LineupShot menuLineup(int page, bool closeup, float t);

// Leaves the scene target rendered and the spot light off.
void drawLineupScene(const std::vector<LineupEntry>& entries, Camera3D camera, Vector3 focus, float t);
// The menus' backdrop at time t (the animation clock).
void drawMenuBackdrop3D(float t);
