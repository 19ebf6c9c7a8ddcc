// The "--buildprof" run: the eight roster characters built one after another
// on the main thread, a checksum of what was built, and the time it took.
// Needs no window and no GPU.
#pragma once
#include <cstdint>
#include <span>

#include "characters/character_model.h"

struct BuildChecksum {
    long long verts = 0;                     // vertices of all parts
    double pos = 0;                          // weighted sum of every position float
    uint64_t hash = 0x14650FB0739D0383ull;   // head texels and vertex colours
};

BuildChecksum checksumModels(std::span<const CharacterModel> models);

// Prints the "CHECK verts ..." and "buildprof: ..." lines; returns main's exit code.
int runBuildProfile();
