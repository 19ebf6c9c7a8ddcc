// The game's fonts for a benchmark that draws text: the build copies them
// into build/fonts, two folders above every benchmark program. Call with a
// window open.
#pragma once
#include <raylib.h>

#include <string>

#include "ui/fonts.h"

inline void loadGameFontsForBench() {
    auto beside = [](const char* file) { return std::string(GetApplicationDirectory()) + "../../fonts/" + file; };
    loadFontsFrom({beside("Anton-Regular.ttf")}, {beside("FiraSans-Bold.ttf")});
}
