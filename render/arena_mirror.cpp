// Placement matrices of the arena: the far-end mirror shared with the
// full-court match code, and the tilt of a rim on its hinge.
#include <raylib.h>
#include <raymath.h>

#include "render/arena.h"

Arena arena;

namespace {
constexpr float kRimHeight = 3.05f;
constexpr float kRimRadius = 0.2286f; // the hinge is the rim's back edge
} // namespace

Matrix mirrorEndMatrix() {
    return MatrixMultiply(MatrixRotateY(PI), MatrixTranslate(0, 0, kFarHoopZ));
}

Vector3 mirrorToFarEnd(Vector3 p) { return {-p.x, p.y, kFarHoopZ - p.z}; }

Matrix rimTiltMatrix(const HoopNet& net) {
    return MatrixMultiply(MatrixMultiply(MatrixTranslate(0, 0, kRimRadius), MatrixRotateX(net.rimAngle)),
                          MatrixTranslate(0, kRimHeight, -kRimRadius));
}
