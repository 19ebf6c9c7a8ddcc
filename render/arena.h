// The arena around the court: floor, stands and crowd, boards, banners, both
// hoops with their simulated nets, and the court transform. One global
// instance, rebuilt in the home side's colours. The match code reads the nets,
// the court matrix and the full-court flag.
#pragma once
#include <raylib.h>

#include "render/hoop_net.h"

constexpr float kFarHoopZ = 25.46f;

struct Arena {
    Texture2D courtTexture = {};
    Texture2D adTexture = {};
    Texture2D bannerTextures[4] = {};
    Texture2D ballTexture = {};
    Texture2D crowdTexture = {};
    Mesh floorMesh = {};
    Mesh standsMesh = {};
    Mesh crowdMesh = {};
    Mesh baselineBoardsMesh = {};
    Mesh sideBoardsMesh = {};
    Mesh beamMesh = {};
    float courtWidth = 26, courtLength = 40, courtStartZ = -7.27f;
    Color hoopColor = {0, 0, 0, 0};
    Color secondColor = {0, 0, 0, 0};
    bool built = false;
    HoopNet nearNet;
    HoopNet farNet;
    bool fullCourt = false;
    Matrix courtMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

extern Arena arena;

// (x, y, z) -> (-x, y, 25.46 - z): the far end of a full court.
Matrix mirrorEndMatrix();
Vector3 mirrorToFarEnd(Vector3 p);
