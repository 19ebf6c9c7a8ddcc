// Measures of the court, the hoop and the ball that the rules, the animation
// and the renderer share, and the mirror that maps the near end of a full
// court onto the far end.
//
// Court frame: metres, y up; the attacked hoop's axis is the origin, the
// attack goes toward smaller z, the half court lies at z >= 0.
#pragma once
#include <raylib.h>
#include <raymath.h>

constexpr float kGravity = 9.81f;     // m/s^2, the ball's (players jump under their own)
constexpr float kBallRadius = 0.121f;
constexpr float kRimHeight = 3.05f;
constexpr float kRimRadius = 0.2286f; // to the middle of the rim tube
constexpr float kMidcourtZ = 12.73f;  // the centre line of a full court
constexpr float kFarHoopZ = 25.46f;   // the far hoop's axis

// (x, y, z) -> (-x, y, 25.46 - z): the far end of a full court.
inline Vector3 mirrorToFarEnd(Vector3 p) { return {-p.x, p.y, kFarHoopZ - p.z}; }
inline Matrix mirrorEndMatrix() { return MatrixMultiply(MatrixRotateY(PI), MatrixTranslate(0, 0, kFarHoopZ)); }
