// The fixed roster: four teams of two players with their looks and ratings.
#include "sim/match_state.h"

Team teams[kRosterTeams];

namespace {

struct PlayerRow {
    const char* first;
    const char* last;
    const char* position;
    int number;
    float height, build;
    int hairStyle;
    uint8_t flags[4]; // headPaintFlag, headband, sleeve, wristbands
    float ratings[RATING_COUNT];
    Color colors[9];  // skin, hair, jersey, trim, text, shorts, shoe, sole, sock
};

struct TeamRow {
    const char* name;
    const char* code;
    const char* city;
    Color primary, secondary, third;
    PlayerRow players[2];
};

constexpr Color rgb(unsigned char r, unsigned char g, unsigned char b) { return {r, g, b, 255}; }

const TeamRow kRoster[kRosterTeams] = {
    {"KNIGHTS", "NKT", "NEON CITY", rgb(96, 44, 212), rgb(250, 200, 40), rgb(255, 255, 255),
     {{"DUKE", "NOVA", "GUARD", 3, 1.90f, 0.95f, 3, {0, 0, 0, 1},
       {.92f, .82f, .88f, .55f, .62f, .92f, .72f, .30f},
       {rgb(192, 142, 104), rgb(16, 13, 12), rgb(96, 44, 212), rgb(250, 200, 40), rgb(255, 255, 255),
        rgb(96, 44, 212), rgb(250, 200, 40), rgb(255, 255, 255), rgb(240, 240, 240)}},
      {"MARCUS", "VOLT", "FORWARD", 23, 2.03f, 1.08f, 1, {1, 1, 0, 1},
       {.76f, .72f, .58f, .96f, .82f, .66f, .55f, .80f},
       {rgb(104, 68, 48), rgb(16, 13, 12), rgb(96, 44, 212), rgb(250, 200, 40), rgb(255, 255, 255),
        rgb(96, 44, 212), rgb(30, 30, 36), rgb(255, 255, 255), rgb(24, 24, 28)}}}},
    {"COBRAS", "CHC", "CHROME BAY", rgb(0, 160, 152), rgb(210, 216, 228), rgb(14, 28, 40),
     {{"RICO", "FLASH", "GUARD", 7, 1.86f, 0.92f, 1, {0, 0, 1, 1},
       {.95f, .78f, .84f, .45f, .60f, .95f, .82f, .25f},
       {rgb(228, 186, 156), rgb(44, 30, 22), rgb(0, 160, 152), rgb(210, 216, 228), rgb(14, 28, 40),
        rgb(0, 160, 152), rgb(240, 240, 245), rgb(255, 255, 255), rgb(240, 240, 240)}},
      {"TANK", "TATE", "CENTER", 50, 2.11f, 1.20f, 0, {1, 0, 0, 1},
       {.62f, .62f, .30f, .92f, .88f, .50f, .45f, .95f},
       {rgb(74, 47, 34), rgb(16, 13, 12), rgb(0, 160, 152), rgb(210, 216, 228), rgb(14, 28, 40),
        rgb(0, 160, 152), rgb(20, 20, 24), rgb(255, 255, 255), rgb(24, 24, 28)}}}},
    {"SURGE", "SSG", "SUNSET", rgb(255, 104, 30), rgb(255, 45, 150), rgb(255, 255, 255),
     {{"JAY", "BLAZE", "GUARD", 11, 1.93f, 0.96f, 2, {0, 0, 0, 1},
       {.88f, .86f, .90f, .60f, .58f, .85f, .65f, .35f},
       {rgb(146, 99, 70), rgb(16, 13, 12), rgb(255, 104, 30), rgb(255, 45, 150), rgb(255, 255, 255),
        rgb(255, 104, 30), rgb(255, 45, 150), rgb(255, 255, 255), rgb(240, 240, 240)}},
      {"OTIS", "REED", "FORWARD", 32, 2.06f, 1.00f, 4, {0, 0, 1, 1},
       {.82f, .70f, .62f, .98f, .72f, .70f, .55f, .80f},
       {rgb(104, 68, 48), rgb(16, 13, 12), rgb(255, 104, 30), rgb(255, 45, 150), rgb(255, 255, 255),
        rgb(255, 104, 30), rgb(250, 250, 250), rgb(255, 255, 255), rgb(240, 240, 240)}}}},
    {"MOTORS", "MDM", "MIDNIGHT", rgb(26, 26, 34), rgb(226, 28, 50), rgb(255, 255, 255),
     {{"VIC", "STEEL", "GUARD", 8, 1.91f, 1.00f, 1, {1, 0, 0, 1},
       {.86f, .84f, .80f, .62f, .74f, .84f, .78f, .40f},
       {rgb(192, 142, 104), rgb(44, 30, 22), rgb(26, 26, 34), rgb(226, 28, 50), rgb(255, 255, 255),
        rgb(26, 26, 34), rgb(226, 28, 50), rgb(255, 255, 255), rgb(24, 24, 28)}},
      {"ZEKE", "CROSS", "FORWARD", 1, 2.01f, 1.05f, 0, {0, 1, 0, 1},
       {.80f, .75f, .70f, .85f, .80f, .72f, .60f, .70f},
       {rgb(228, 186, 156), rgb(186, 148, 92), rgb(26, 26, 34), rgb(226, 28, 50), rgb(255, 255, 255),
        rgb(26, 26, 34), rgb(240, 240, 240), rgb(255, 255, 255), rgb(240, 240, 240)}}}},
};

Appearance lookFrom(const TeamRow& team, const PlayerRow& row) {
    Appearance a;
    Color* colors[9] = {&a.skinColor,   &a.hairColor, &a.jerseyColor, &a.trimColor, &a.jerseyTextColor,
                        &a.shortsColor, &a.shoeColor, &a.soleColor,   &a.sockColor};
    for (int i = 0; i < 9; ++i) *colors[i] = row.colors[i];
    a.hairStyle = row.hairStyle;
    a.headPaintFlag = row.flags[0];
    a.headband = row.flags[1];
    a.sleeve = row.flags[2];
    a.wristbands = row.flags[3];
    a.height = row.height;
    a.build = row.build;
    a.number = row.number;
    a.frontText = team.name;
    a.backText = row.last;
    return a;
}

} // namespace

void initTeams() {
    for (int t = 0; t < kRosterTeams; ++t) {
        const TeamRow& row = kRoster[t];
        Team& team = teams[t];
        team = Team{};
        team.name = row.name;
        team.code = row.code;
        team.city = row.city;
        team.primary = row.primary;
        team.secondary = row.secondary;
        team.third = row.third;
        for (int s = 0; s < 2; ++s) {
            const PlayerRow& p = row.players[s];
            RosterPlayer& rp = team.players[s];
            rp.first = p.first;
            rp.last = p.last;
            rp.position = p.position;
            rp.look = lookFrom(row, p);
            for (int r = 0; r < RATING_COUNT; ++r) rp.ratings[r] = p.ratings[r];
        }
    }
}
