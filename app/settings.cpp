// Settings file: reading with clamping, writing in a fixed line order.
#include "app/settings.h"

#include <cstdio>
#include <cstring>

#include "app/text_numbers.h"

Settings settings;
Settings savedSettings;

namespace {

struct NumberKey {
    const char* key;
    int32_t Settings::*field;
    int32_t lo, hi;
};

// In file order; the file order differs from the memory order.
const NumberKey kNumberKeys[] = {
    {"oneOnOne", &Settings::oneOnOne, 0, 1},         {"fullCourt", &Settings::fullCourt, 0, 1},
    {"sprintToggle", &Settings::sprintToggle, 0, 1}, {"cameraMotion", &Settings::cameraMotion, 0, 2},
    {"tooltips", &Settings::tooltips, 0, 1},         {"mouseSens", &Settings::mouseSens, 1, 10},
    {"invertY", &Settings::invertY, 0, 1},           {"graphics", &Settings::graphics, 0, 2},
    {"difficulty", &Settings::difficulty, 0, 3},     {"gameTo", &Settings::gameTo, 0, 2},
    {"shotMeter", &Settings::shotMeter, 0, 1},       {"musicVol", &Settings::musicVol, 0, 10},
    {"sfxVol", &Settings::sfxVol, 0, 10},            {"fullscreen", &Settings::fullscreen, 0, 1},
};

constexpr int kLineBuffer = 256; // lines are read in pieces of at most 255 characters

} // namespace

void readSettings(Settings& s, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return;
    bool sawMouseSens = false;
    char line[kLineBuffer];
    while (std::fgets(line, sizeof line, f)) {
        char* eq = std::strchr(line, '=');
        if (!eq) continue;
        *eq = '\0';
        char* value = eq + 1;
        size_t n = std::strlen(value);
        while (n > 0 && (value[n - 1] == '\n' || value[n - 1] == '\r')) value[--n] = '\0';
        if (std::strcmp(line, "alias") == 0) {
            s.alias.assign(value, n < (size_t)kAliasMaxLength ? n : (size_t)kAliasMaxLength);
            continue;
        }
        for (const NumberKey& k : kNumberKeys) {
            if (std::strcmp(line, k.key) == 0) {
                s.*k.field = parseIntSaturating(value);
                if (k.field == &Settings::mouseSens) sawMouseSens = true;
                break;
            }
        }
    }
    std::fclose(f);
    for (const NumberKey& k : kNumberKeys) {
        int32_t& v = s.*k.field;
        if (v < k.lo) v = k.lo;
        if (v > k.hi) v = k.hi;
    }
    // A file from before the graphics levels existed: start at the top level.
    if (!sawMouseSens) s.graphics = 0;
}

std::string formatSettings(const Settings& s) {
    std::string out;
    char buf[64];
    for (const NumberKey& k : kNumberKeys) {
        std::snprintf(buf, sizeof buf, "%s=%d\n", k.key, (int)(s.*k.field));
        out += buf;
    }
    out += "alias=" + s.alias + "\n";
    return out;
}

bool saveSettings(const Settings& s, const std::string& path) {
    const std::string text = formatSettings(s);
    const std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
