// The arena's geometry on the CPU: the floor grid, the stands with their
// billboard crowd, the courtside chairs and the hall, the advertising boards
// and the light-beam cone, as triangle lists not yet uploaded. buildArena
// uploads them; tests and benchmarks inspect them without a window.
//
// The crowd, the chairs' spectators and every spectator's look are drawn from
// the program's own generator (programRand); the caller seeds it, so the same
// seed always gives the same arena.
#pragma once
#include <raylib.h>

#include "render/mesh_builder.h"

// Columns and rows of the crowd atlas, read by addCrowdBillboard; buildArena
// stores what makeCrowdAtlas reports.
extern int crowdAtlasColumns;
extern int crowdAtlasRows;

struct ArenaGeometry {
    MeshBuilder floor;          // 8 x 12 quads under the court texture
    MeshBuilder stands;         // steps, seats, chairs, walls, roof, bands, backings, scorer's table
    MeshBuilder crowd;          // spectator billboards with (phase, height) second uvs
    MeshBuilder baselineBoards; // the ad strip behind both baselines
    MeshBuilder sideBoards;     // the ad strip along both sides
    MeshBuilder beam;           // unit light cone: radius 0.25 at y 0 to 1 at y -1
};

// Everything, in the fixed order of random draws: stands (near, +x side, -x
// side, far), then the courtside chairs. primary is the home colour the steps,
// seats, chairs and bands are tinted with; startZ the court texture's near edge.
ArenaGeometry buildArenaGeometry(Color primary, float startZ);

MeshBuilder buildFloorGeometry(float startZ);
MeshBuilder buildBeamGeometry();

// One stand: 18 rising steps of the given length along run, stepping away
// along back, a seat back every 0.55 m, a spectator on a seat with
// probability fill.
void addStandSection(MeshBuilder& stands, MeshBuilder& crowd, float x0, float z0, Vector2 run, Vector3 back,
                     float length, Color stepColor, float fill);
// One spectator: a 0.6 s wide, 1.2 s tall quad standing on feet, its front
// toward -facing, a random atlas cell (mirrored half the time), tint and
// animation phase.
void addCrowdBillboard(MeshBuilder& crowd, Vector3 feet, Vector3 facing, float scale);
