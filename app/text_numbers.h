// Numbers read from text the way atoi and atof read them (text that is no
// number reads as 0), except that out-of-range values saturate instead of
// being undefined.
#pragma once
#include <cstdint>

int32_t parseIntSaturating(const char* text);
float parseFloatSaturating(const char* text);
