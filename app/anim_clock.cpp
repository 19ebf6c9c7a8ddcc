#include "app/anim_clock.h"

float animClock = 0.0f;
