// What the arena is dressed in for a home team: hoop colour, court text and
// the banners' colours and names with the home team first.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

#include "app/match_start.h"

namespace {

bool sameColor(Color a, Color b) { return std::memcmp(&a, &b, sizeof(Color)) == 0; }

struct HomeTeam : ::testing::Test {
    void SetUp() override {
        initTeams();
        std::copy(teams, teams + kRosterTeams, roster);
    }
    Team roster[kRosterTeams];
};

} // namespace

TEST_F(HomeTeam, HomeTeamLeadsTheBannersAndNamesTheCourt) {
    const HomeTeamLook look = homeTeamLook(roster, 2);
    EXPECT_TRUE(sameColor(look.hoopColor, roster[2].primary));
    EXPECT_TRUE(sameColor(look.secondColor, roster[2].secondary));
    EXPECT_EQ(std::string(look.courtText), std::string(roster[2].city) + " " + roster[2].name);
    // Entries 0 and 2 swap places; the others keep theirs.
    const int order[kRosterTeams] = {2, 1, 0, 3};
    for (int i = 0; i < kRosterTeams; i++) {
        EXPECT_TRUE(sameColor(look.bannerColors[i], roster[order[i]].primary)) << i;
        EXPECT_STREQ(look.bannerNames[i], roster[order[i]].name) << i;
    }
    const HomeTeamLook first = homeTeamLook(roster, 0);
    for (int i = 0; i < kRosterTeams; i++) EXPECT_STREQ(first.bannerNames[i], roster[i].name);
}

TEST_F(HomeTeam, CourtTextStopsAtSixtyThreeCharacters) {
    const std::string city(50, 'C'), name(30, 'N');
    roster[3].city = city.c_str();
    roster[3].name = name.c_str();
    const HomeTeamLook look = homeTeamLook(roster, 3);
    EXPECT_EQ(std::strlen(look.courtText), 63u);
    EXPECT_EQ(std::string(look.courtText), (city + " " + name).substr(0, 63));
}
