// The arena around the court: floor, stands and crowd, boards, banners, both
// hoops with their simulated nets, and the court transform. One global
// instance, rebuilt in the home side's colours. The nets, the court matrix and
// the full-court flag are the match's (MatchArena): it moves them, this draws them.
//
// Geometry is in metres in the court frame: y up, the near rim's centre 3.05 m
// above the origin, the court along +z, the far hoop at z = 25.46. Everything
// of the near end is drawn under the court matrix; the far hoop, board and net
// (full court only) under the far-end mirror followed by the court matrix.
// Build, unload and draw run on the main thread with the GL context.
#pragma once
#include <raylib.h>

#include "render/hoop_net.h"
#include "render/renderer.h"
#include "sim/court_geometry.h"
#include "sim/match_arena.h"

constexpr int kBannerCount = 4;

struct Arena : MatchArena {
    Texture2D courtTexture = {};
    Texture2D adTexture = {};
    Texture2D bannerTextures[kBannerCount] = {};
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
};

extern Arena arena;

// Where the rim torus is drawn: it hinges about the horizontal line through
// its back edge at rim height, tilted by the net's rim angle (front down).
Matrix rimTiltMatrix(const HoopNet& net);

// Builds everything in the given colours: primary tints the hoops, steps,
// seats and bands; the court is painted in primary and secondary with the
// court text; banner k has colour k and subtitle k. A built arena is unloaded
// first. The crowd comes from a fixed seed, so every build is the same; the
// program's generator is reseeded from the clock afterwards.
void buildArena(Arena& arena, Color primary, Color secondary, const char* courtText,
                const Color bannerColors[kBannerCount], const char* const bannerSubtitles[kBannerCount]);
void unloadArena(Arena& arena);

// Stands and crowd, ad boards, trusses, banners, scoreboard and hoops; hype
// livens the crowd.
void drawArena(const Arena& arena, float hype);
void drawFloor(const Arena& arena);
// The hoop assemblies alone, without their displays: the shadow casters.
void drawHoops(const Arena& arena);
// Glass and lines, drawn after everything they show through.
void drawBackboards(const Arena& arena);
// Both nets as ribbons facing the eye (a world point).
void drawNets(const Arena& arena, Vector3 eye);
// An additive cone of light hanging from top.
void drawLightBeam(const Arena& arena, Vector3 top, float radius, float height, float alpha);
void drawBall(Texture2D ballTexture, Vector3 position, Matrix rotation);

// Building blocks, in the near-hoop frame under the current world transform.
void drawHoop(const HoopNet& net, Color colour, bool skipDisplay);
void drawBackboardLines();
void drawLitBox(Vector3 centre, Vector3 size, Color colour, const MaterialParams& material);
