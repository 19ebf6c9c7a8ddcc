#include "app/text_numbers.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>

int32_t parseIntSaturating(const char* text) {
    const char* p = text;
    while (std::isspace((unsigned char)*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t value = 0;
    const int64_t limit = negative ? -(int64_t)INT32_MIN : (int64_t)INT32_MAX;
    for (; std::isdigit((unsigned char)*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value >= limit) {
            value = limit;
            break;
        }
    }
    return (int32_t)(negative ? -value : value);
}

float parseFloatSaturating(const char* text) {
    const double v = std::strtod(text, nullptr); // strtod saturates to +-HUGE_VAL
    if (std::isnan(v)) return 0.0f;
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return (float)v;
}
