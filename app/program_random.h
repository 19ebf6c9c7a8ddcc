// The program's own srand/rand: one generator with the classic 0..32767 range
// that the content generators' formulas (rand() / 32767) are written for,
// identical on every platform. The match never draws from it.
#pragma once
#include <cstdint>

constexpr int kProgramRandMax = 32767;

void programSrand(uint32_t seed);
int programRand(); // 0..32767
