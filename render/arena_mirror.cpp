// The arena's one instance, and the tilt of a rim on its hinge.
#include <raylib.h>
#include <raymath.h>

#include "render/arena.h"

Arena arena;

// The hinge is the rim's back edge.
Matrix rimTiltMatrix(const HoopNet& net) {
    return MatrixMultiply(MatrixMultiply(MatrixTranslate(0, 0, kRimRadius), MatrixRotateX(net.rimAngle)),
                          MatrixTranslate(0, kRimHeight, -kRimRadius));
}
