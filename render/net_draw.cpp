// The nets as camera-facing ribbons in one immediate-mode batch per net.
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>

#include "render/hoop_net.h"

namespace {

constexpr float kRibbonHalfWidth = 0.0055f;
constexpr float kMinCrossLength = 0.000001f;
constexpr float kTopWhite = 235;
constexpr float kBottomDarkening = 0.35f; // the bottom strands are 35 % darker than the top ones
constexpr float kBlueShare = 0.98f;       // a faintly warm white

} // namespace

int netDiagonalColumn(int row, int column) {
    return row % 2 ? (column + 1) % kNetColumns : (column + kNetColumns - 1) % kNetColumns;
}

bool netRibbonCorners(Vector3 eye, Vector3 a, Vector3 b, Vector3 corners[4]) {
    const Vector3 n = Vector3CrossProduct(Vector3Subtract(b, a), Vector3Subtract(eye, a));
    const float length = Vector3Length(n);
    if (length < kMinCrossLength) return false;
    const Vector3 w = Vector3Scale(n, kRibbonHalfWidth / length);
    corners[0] = Vector3Subtract(a, w);
    corners[1] = Vector3Add(a, w);
    corners[2] = Vector3Add(b, w);
    corners[3] = Vector3Subtract(b, w);
    return true;
}

void drawNetStrand(Vector3 eye, Vector3 a, Vector3 b, float shade) {
    Vector3 p[4];
    if (!netRibbonCorners(eye, a, b, p)) return;
    const unsigned char g = (unsigned char)(int)(kTopWhite * shade);
    rlColor4ub(g, g, (unsigned char)(int)(kBlueShare * g), 255);
    // Both windings, so culling never hides a ribbon.
    const int order[12] = {0, 1, 2, 0, 2, 3, 0, 2, 1, 0, 3, 2};
    for (int i : order) rlVertex3f(p[i].x, p[i].y, p[i].z);
}

void drawNet(const HoopNet& net, Vector3 eye) {
    rlBegin(RL_TRIANGLES);
    for (int r = 0; r < kNetRows - 1; r++) {
        const float shade = 1 - r * kBottomDarkening / (kNetRows - 1);
        for (int c = 0; c < kNetColumns; c++) {
            drawNetStrand(eye, net.pos[r][c], net.pos[r + 1][c], shade);
            drawNetStrand(eye, net.pos[r][c], net.pos[r + 1][netDiagonalColumn(r, c)], shade);
        }
    }
    rlEnd();
}
