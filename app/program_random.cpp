#include "app/program_random.h"

namespace {
uint32_t state = 1;
}

void programSrand(uint32_t seed) { state = seed; }

int programRand() {
    state = state * 214013u + 2531011u;
    return (int)((state >> 16) & 0x7FFFu);
}
