// Test helper of the CPU tests: trial n's match seed. The generator's first
// draws from small seeds are tiny, so trials over consecutive n would share
// their early draws; mixing the bits spreads them over the whole range.
#pragma once
#include <cstdint>

inline uint32_t trialSeed(uint32_t n) {
    uint32_t x = n + 0x9E3779B9u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x != 0 ? x : 1;
}
