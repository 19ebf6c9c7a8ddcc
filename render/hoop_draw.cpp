// One hoop assembly in the near-hoop frame: base, post, arm, board frame and
// pad, shot-clock box with its display, the tilting rim; and the glass board
// with its painted lines, drawn last because it is see-through.
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>

#include "characters/shared_meshes.h"
#include "render/arena.h"
#include "render/colour.h"

namespace {

constexpr MaterialParams kPaint = {{0.25f, 14, 0.35f, 0}, {0, 0, 0, 1}};
constexpr MaterialParams kMetal = {{0.8f, 50, 0.2f, 0}, {0.25f, 0, 0, 1}};
constexpr MaterialParams kDisplay = {{0, 16, 0.3f, 0}, {0, 1.6f, 0, 1}};
constexpr MaterialParams kRim = {{1.0f, 70, 0.2f, 0}, {0.35f, 0, 0, 1}};
constexpr MaterialParams kGlass = {{1.2f, 90, 0.6f, 0}, {0.25f, 0, 0, 0.22f}};
constexpr MaterialParams kLines = {{0.2f, 16, 0, 0}, {0, 0.15f, 0, 1}};

constexpr Color kSteel = {60, 62, 70, 255};
constexpr Color kFrame = {40, 40, 46, 255};
constexpr Color kMountPlate = {50, 50, 58, 255};
constexpr Color kClockBox = {20, 20, 24, 255};
constexpr Color kClockDigits = {255, 40, 30, 255};
constexpr Color kRimOrange = {235, 80, 20, 255};
constexpr Color kBracketOrange = {220, 76, 20, 255};
constexpr Color kGlassTint = {200, 225, 255, 255};

constexpr float kBoardZ = -0.406f;
constexpr float kBoardCentreY = 3.435f;
constexpr float kLineZ = -0.378f;
constexpr float kLineDepth = 0.004f;
constexpr float kLineWidth = 0.05f;

void drawLine(float x, float y, float width, float height) {
    drawLitBox({x, y, kLineZ}, {width, height, kLineDepth}, WHITE, kLines);
}

} // namespace

void drawLitBox(Vector3 centre, Vector3 size, Color colour, const MaterialParams& material) {
    const Matrix m = MatrixMultiply(MatrixScale(size.x, size.y, size.z), MatrixTranslate(centre.x, centre.y, centre.z));
    drawMeshLit(renderer, sharedMeshes.cube, m, colour, material, Texture2D{});
}

void drawHoop(const HoopNet& net, Color colour, bool skipDisplay) {
    drawLitBox({0, 0.6f, -3.75f}, {1.5f, 1.2f, 2.0f}, colour, kPaint);             // base block
    drawLitBox({0, 1.25f, -3.75f}, {1.3f, 0.12f, 1.8f}, scaleRgb(colour, 0.7f), kPaint); // base cap
    drawLitBox({0, 2.5f, -3.3f}, {0.32f, 2.6f, 0.36f}, kSteel, kMetal);             // post
    drawLitBox({0, 3.75f, -1.95f}, {0.26f, 0.24f, 2.9f}, kSteel, kMetal);           // arm
    drawLitBox({0, 3.25f, -1.4f}, {0.14f, 0.14f, 1.6f}, kSteel, kMetal);            // brace
    drawLitBox({0, 3.99f, kBoardZ}, {1.89f, 0.04f, 0.07f}, kFrame, kMetal);         // frame top
    drawLitBox({-0.935f, kBoardCentreY, kBoardZ}, {0.04f, 1.12f, 0.07f}, kFrame, kMetal);
    drawLitBox({0.935f, kBoardCentreY, kBoardZ}, {0.04f, 1.12f, 0.07f}, kFrame, kMetal);
    drawLitBox({0, 2.85f, kBoardZ}, {1.93f, 0.1f, 0.1f}, colour, kPaint);           // bottom pad
    drawLitBox({0, kBoardCentreY, -0.526f}, {0.8f, 0.5f, 0.14f}, kMountPlate, kMetal);
    drawLitBox({0, 4.14f, -0.426f}, {0.6f, 0.26f, 0.16f}, kClockBox, kMetal);
    // The glowing digits would only darken the shadow map.
    if (!skipDisplay && renderer.pass != PASS_SHADOW)
        drawLitBox({0, 4.14f, -0.341f}, {0.44f, 0.16f, 0.01f}, kClockDigits, kDisplay);
    drawMeshLit(renderer, sharedMeshes.rimTorus, rimTiltMatrix(net), kRimOrange, kRim, Texture2D{});
    drawLitBox({0, 3.03f, -0.311f}, {0.12f, 0.05f, 0.16f}, kBracketOrange, kRim); // rim bracket
}

void drawBackboardLines() {
    rlDrawRenderBatchActive();
    rlDisableDepthMask(); // what stands behind the glass stays visible
    drawLitBox({0, kBoardCentreY, kBoardZ}, {1.83f, 1.07f, 0.05f}, kGlassTint, kGlass);
    rlEnableDepthMask();
    drawLine(0, 3.945f, 1.83f, kLineWidth); // border
    drawLine(0, 2.925f, 1.83f, kLineWidth);
    drawLine(-0.89f, kBoardCentreY, kLineWidth, 1.07f);
    drawLine(0.89f, kBoardCentreY, kLineWidth, 1.07f);
    drawLine(0, 3.482f, 0.61f, kLineWidth); // target square
    drawLine(0, 3.075f, 0.61f, kLineWidth);
    drawLine(-0.28f, 3.2785f, kLineWidth, 0.457f);
    drawLine(0.28f, 3.2785f, kLineWidth, 0.457f);
}
