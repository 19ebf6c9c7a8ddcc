// The far-end mirror shared by the arena and the full-court match code.
#include <raylib.h>
#include <raymath.h>

#include "render/arena.h"

Arena arena;

Matrix mirrorEndMatrix() {
    return MatrixMultiply(MatrixRotateY(PI), MatrixTranslate(0, 0, kFarHoopZ));
}

Vector3 mirrorToFarEnd(Vector3 p) { return {-p.x, p.y, kFarHoopZ - p.z}; }
