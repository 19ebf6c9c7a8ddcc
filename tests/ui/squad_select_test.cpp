// Squad select without a window: the opponent never lands on the home team,
// the card and summary texts, the rating numbers and bars, the accent colour.
#include <gtest/gtest.h>

#include "app/match_start.h"
#include "app/settings.h"
#include "ui/menu_lists.h"
#include "ui/squad_select.h"

namespace {

void noSound(int, float, float, float) {}

// One left or right press on a row of the real squad menu, then the rule.
void stepRow(int row, bool right) {
    buildSquadMenu(squadMenu);
    squadMenu.selected = row;
    MenuInput in;
    (right ? in.right : in.left) = true;
    const int before = squadOpponent;
    EXPECT_EQ(navigateMenu(squadMenu, in, 0.0f), kMenuChanged);
    squadOpponent = keepOpponentApart(squadTeam, before, squadOpponent);
}

TEST(SquadOpponent, SkipsTheHomeTeamBothWaysAndIsPushedOnByIt) {
    initTeams();
    const MenuSoundFn device = menuSound;
    menuSound = noSound;
    squadTeam = 2, squadOpponent = 1;
    stepRow(2, true);
    EXPECT_EQ(squadOpponent, 3); // 2 is skipped
    stepRow(2, false);
    EXPECT_EQ(squadOpponent, 1);
    squadTeam = 0;
    stepRow(0, true); // the home team moves onto the opponent
    EXPECT_EQ(squadTeam, 1);
    EXPECT_EQ(squadOpponent, 2);
    // No row step from any matchup leaves the two equal.
    for (int home = 0; home < 4; ++home)
        for (int away = 0; away < 4; ++away)
            for (int row : {0, 2})
                for (bool right : {false, true}) {
                    if (home == away) continue;
                    squadTeam = home, squadOpponent = away;
                    stepRow(row, right);
                    EXPECT_NE(squadTeam, squadOpponent) << home << away << row << right;
                }
    menuSound = device;
}

TEST(SquadCard, TextsRatingsAndAccent) {
    initTeams();
    EXPECT_EQ(squadCardName(teams[0].players[0]), "#3 DUKE NOVA");
    EXPECT_EQ(squadCardDetails(teams[0].players[0]), "GUARD  -  1.90 M");
    EXPECT_EQ(squadSummary(teams[1], 1, false), "VS  CHROME BAY COBRAS  -  FLASH & TATE");
    EXPECT_EQ(squadSummary(teams[1], 1, true), "1 ON 1 VS  CHROME BAY COBRAS  -  TATE");
    EXPECT_EQ(ratingShown(1.0f), 99);
    EXPECT_EQ(ratingBarWidth(1.0f), 200);
    EXPECT_EQ(ratingShown(0.5f), 49);
    EXPECT_EQ(ratingBarWidth(0.5f), 100);
    Team t;
    t.primary = {40, 40, 60, 255}; // 140: too dark to highlight with
    t.secondary = {230, 200, 40, 255};
    EXPECT_EQ(squadAccent(t).r, 230);
    t.primary = {50, 50, 50, 255}; // 150 is light enough
    EXPECT_EQ(squadAccent(t).r, 50);
}

} // namespace
