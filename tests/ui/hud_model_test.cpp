// What the match overlay decides without drawing: the tips chain, the
// possession and defence texts, the shot clock, the meter, the steal ring,
// tag fades, edge markers, emote bubbles and the winding of its triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../sim/sim_fixture.h"
#include "ui/match_hud.h"
#include "ui/minimap.h"
#include "ui/panels.h"
#include "ui/player_tags.h"
#include "ui/possession_hud.h"
#include "ui/shot_meter.h"
#include "ui/tips.h"

namespace {

// The four players spread out on the half court, nobody near anybody.
std::unique_ptr<TestMatch> liveMatch(int holder, MatchOptions o = {}) {
    auto s = newMatch(o);
    const Vector3 spots[4] = {{-3, 0, 7}, {4, 0, 9}, {-6, 0, 2}, {6, 0, 3}};
    for (int i = 0; i < 4; ++i) placePlayer(s->players[i], spots[i], PI);
    giveBall(*s, holder);
    return s;
}

std::string hintOf(const MatchState& s) { return buildTips(s, true).hint.text; }

std::vector<std::string> rowsOf(const MatchState& s) {
    std::vector<std::string> out;
    for (const TipRow& r : buildTips(s, true).rows) out.push_back(r.text);
    return out;
}

} // namespace

TEST(Tips, WithTheBallTheHintsComeInTheirOrder) {
    auto s = liveMatch(0);
    Player& L = s->players[0];
    L.yaw = PI / 2; // looking across the court
    EXPECT_EQ(hintOf(*s), "TURN TO FACE THE HOOP TO SHOOT");
    L.yaw = std::atan2(3.0f, -7.0f); // facing the hoop
    EXPECT_EQ(hintOf(*s), "");
    s->players[2].pos = {-3, 0, 6}; // a defender on him
    EXPECT_EQ(hintOf(*s), "SHAKE HIM: CROSSOVER (+S = STEP-BACK)");
    s->aliases[1] = "ZIPPY";
    s->players[1].cutting = 1; // the partner cuts with open space and lane
    EXPECT_EQ(hintOf(*s), "PASS - ZIPPY IS OPEN");
    s->shotClock = 5.5f;
    EXPECT_EQ(hintOf(*s), "SHOT CLOCK! GET A SHOT UP");
    placePlayer(L, {0, 0, 1.2f}, PI);
    L.ratings[RATING_DUNK] = 0.5f;
    EXPECT_EQ(hintOf(*s), "LAYUP (SPRINT IN TO DUNK)");
    L.ratings[RATING_DUNK] = 0.9f;
    EXPECT_EQ(hintOf(*s), "DUNK IT!");
    s->mustClear = 1;
    EXPECT_EQ(hintOf(*s), "CLEAR IT: TAKE IT BEHIND THE ARC FIRST");
    L.action = ACT_JUMP_SHOT;
    EXPECT_EQ(hintOf(*s), "KEEP HOLDING... (TAP = PUMP FAKE)");
    L.tookOff = 1;
    EXPECT_EQ(hintOf(*s), "RELEASE AT THE TOP OF YOUR JUMP");

    L.energy = 0.1f;
    EXPECT_EQ(rowsOf(*s), (std::vector<std::string>{"HOLD TO SHOOT, RELEASE AT THE TOP", "PASS TO TEAMMATE",
                                                    "CROSSOVER  /  +SPRINT SPIN  /  +S STEP-BACK",
                                                    "SPRINT - DRIVE INTO THE LANE TO DUNK",
                                                    "LOW STAMINA - EASE OFF THE SPRINT"}));
}

TEST(Tips, OneOnOneDropsThePassRowAndAStandingHolderOnTheHoopFacesAlongZ) {
    MatchOptions o;
    o.oneOnOne = true;
    auto s = newMatch(o);
    giveBall(*s, 0);
    placePlayer(s->players[0], {0, 0, 0}, 0); // on the hoop point, facing +z
    placePlayer(s->players[2], {0, 0, 6}, PI);
    for (const std::string& row : rowsOf(*s)) EXPECT_NE(row, "PASS TO TEAMMATE");
    s->players[0].ratings[RATING_DUNK] = 0.1f;
    EXPECT_EQ(hintOf(*s), "LAYUP (SPRINT IN TO DUNK)");
}

TEST(Tips, OffTheBallAndOnDefence) {
    auto s = liveMatch(1);
    Player& L = s->players[0];
    EXPECT_EQ(hintOf(*s), "YOU'RE OPEN - CALL FOR IT");
    placePlayer(L, {0, 0, 3}, PI);
    EXPECT_EQ(hintOf(*s), "ALLEY-OOP!");
    EXPECT_EQ(rowsOf(*s).front(), "CALL FOR THE BALL");

    giveBall(*s, 2); // the opponents attack; L marks player 2
    L.matchup = 2;
    placePlayer(L, {-6, 0, 6}, PI); // behind his man, not between him and the hoop
    EXPECT_EQ(hintOf(*s), "GET BACK BETWEEN YOUR MAN AND THE HOOP");
    placePlayer(L, {-5.4f, 0, 1.6f}, std::atan2(-0.6f, 0.4f)); // in front, facing him, within reach
    s->players[2].yaw = 0;
    EXPECT_EQ(hintOf(*s), "STEAL!  (OR E)");
    s->players[2].sprinting = 1;
    s->players[2].vel = {1.6f, 0, -1.0f}; // running at L
    placePlayer(L, {-3.6f, 0, 1.0f}, PI);  // facing away: no steal chance
    L.stance = 1;
    EXPECT_EQ(hintOf(*s), "HOLD YOUR GROUND - TAKE THE CHARGE");
    s->players[3].action = ACT_JUMP_SHOT;
    s->players[3].pos = {-2, 0, 1};
    EXPECT_EQ(hintOf(*s), "BLOCK IT!");
    EXPECT_EQ(rowsOf(*s).size(), 4u);
}

TEST(Tips, BallInTheAirAndDeadBalls) {
    auto s = liveMatch(1);
    Player& L = s->players[0];
    s->ball = BallState{};
    s->ball.phase = BALL_SHOT;
    s->ball.pos = {-3, 2.6f, 7.5f};
    s->ball.vel = {0, 2, 0};
    EXPECT_EQ(hintOf(*s), "") << "still rising, far from the rim";
    s->ball.vel.y = -1;
    EXPECT_EQ(hintOf(*s), "JUMP FOR THE BOARD!");
    s->ball.pos = {0, 4, 0};
    L.boxingOut = 1;
    EXPECT_EQ(hintOf(*s), "BOXING OUT - HOLD YOUR SPOT");
    s->ball.phase = BALL_LOOSE;
    EXPECT_EQ(hintOf(*s), "LOOSE BALL - GO GET IT!");
    EXPECT_EQ(rowsOf(*s), (std::vector<std::string>{"JUMP FOR REBOUNDS", "STAY CLOSE TO THE RIM TO BOX OUT"}));
    s->ball.phase = BALL_PASS;
    s->ball.passFrom = 2;
    s->ball.pos = {-3, 1.5f, 8};
    EXPECT_EQ(hintOf(*s), "REACH FOR THE PASS!");
    EXPECT_TRUE(rowsOf(*s).empty());
    s->ball.passFrom = 1;
    EXPECT_EQ(hintOf(*s), "");
    for (int phase : {PHASE_DEAD_BALL, PHASE_OVER}) {
        s->phase = phase;
        EXPECT_EQ(hintOf(*s), "");
        EXPECT_TRUE(rowsOf(*s).empty());
    }
}

TEST(Tips, BeforePlayRowsBySideTheToastAndTheReminder) {
    auto s = liveMatch(0);
    s->phase = PHASE_CHECK_BALL;
    s->sprintToggle = 0;
    EXPECT_EQ(rowsOf(*s),
              (std::vector<std::string>{"HOLD TO SHOOT, RELEASE AT THE TOP", "PASS", "DRIBBLE MOVE", "SPRINT (HOLD)"}));
    s->offense = 1;
    s->online = 1;
    s->sprintToggle = 1;
    EXPECT_EQ(rowsOf(*s), (std::vector<std::string>{"STAY BETWEEN YOUR MAN AND THE HOOP", "STEAL WHEN THE BALL GLOWS",
                                                    "BLOCK / CONTEST", "SPRINT (TOGGLE)", "HOLD FOR EMOTES"}));

    s->tipsToast = 0.15f;
    s->clock = 11.9f;
    TipsModel m = buildTips(*s, false);
    EXPECT_STREQ(m.toastTitle, "TIPS OFF");
    EXPECT_FLOAT_EQ(m.toastLevel, 0.5f);
    EXPECT_TRUE(m.showReminder && m.rows.empty());
    s->clock = 12;
    EXPECT_FALSE(buildTips(*s, false).showReminder);

    s->localIndex = -1; // nobody plays here: only the toast
    m = buildTips(*s, true);
    EXPECT_STREQ(m.toastSubtitle, "PRESS H TO HIDE");
    EXPECT_TRUE(m.rows.empty() && !m.showReminder);
}

TEST(MatchHud, PossessionAndDefenceTexts) {
    auto s = liveMatch(0);
    EXPECT_TRUE(possessionLine(*s).ownBall);
    s->aliases[1] = "ZIPPY";
    giveBall(*s, 1);
    EXPECT_EQ(possessionLine(*s).text, "ZIPPY HAS THE BALL");
    giveBall(*s, 3);
    EXPECT_EQ(possessionLine(*s).text, "DEFENSE - TATE HAS IT");
    s->ball.phase = BALL_PASS;
    s->ball.passTo = 0;
    EXPECT_EQ(possessionLine(*s).text, "INCOMING PASS");
    s->ball.passTo = 1;
    EXPECT_EQ(possessionLine(*s).text, "PASS IN THE AIR");
    s->localIndex = -1;
    s->ball.phase = BALL_LOOSE;
    EXPECT_EQ(possessionLine(*s).text, "") << "no local player, no pill";

    EXPECT_STREQ(coverageLabel(0.71f).text, "LOCKED DOWN");
    EXPECT_STREQ(coverageLabel(0.7f).text, "STAY IN FRONT");
    EXPECT_STREQ(coverageLabel(0.42f).text, "BEATEN - RECOVER!");

    char tag[32];
    nameTagText(*s, 1, tag, sizeof tag);
    EXPECT_STREQ(tag, "23 ZIPPY");
}

TEST(MatchHud, ShotClockMeterAndStealRing) {
    auto s = liveMatch(0);
    s->shotClock = 4.2f;
    EXPECT_EQ(shotClockDisplay(*s).seconds, 5);
    EXPECT_EQ(shotClockDisplay(*s).color.g, 80) << "red below 5 s";
    s->shotClock = 5.0f;
    EXPECT_EQ(shotClockDisplay(*s).color.g, 205);
    s->shotClock = -0.3f;
    EXPECT_EQ(shotClockDisplay(*s).seconds, 0);
    s->phase = PHASE_CHECK_BALL;
    EXPECT_EQ(shotClockDisplay(*s).seconds, 24);
    EXPECT_EQ(shotClockDisplay(*s).color.g, 205) << "never red outside live play";

    EXPECT_NEAR(meterBand(0).top, 317.54f, 0.01f); // the wide window is cut at the meter's top
    EXPECT_NEAR(meterBand(0).bottom, 337.85f, 0.01f);
    EXPECT_NEAR(meterBand(3).top, 322.89f, 0.01f);
    EXPECT_EQ(meterBand(9).top, meterBand(3).top) << "a bad setting reads as the hardest";
    EXPECT_EQ(releaseGradeLabel(5).text, nullptr) << "grade 5 shows no text";
    EXPECT_STREQ(releaseGradeLabel(7).text, "LATE");

    s->phase = PHASE_LIVE;
    s->players[0].action = ACT_JUMP_SHOT;
    updateMeterShow(*s, 0.1f);
    EXPECT_EQ(s->meterShow, 1.0f);
    s->players[0].released = 1;
    updateMeterShow(*s, 0.1f);
    EXPECT_NEAR(s->meterShow, 0.8f, 1e-6f);
    updateMeterShow(*s, 1.0f);
    EXPECT_EQ(s->meterShow, 0.0f);

    EXPECT_FALSE(stealRing(0.15f).shown);
    EXPECT_EQ(stealRing(0.18f).alpha, 89);
    EXPECT_EQ(stealRing(0.3f).alpha, 145);
    EXPECT_EQ(stealRing(0.6f).alpha, 229);
    EXPECT_EQ(stealRing(0.6f).k, 1.0f);
}

TEST(MatchHud, TagFadeEdgeMarkersAndTriangleWinding) {
    EXPECT_NEAR(tagFade(14.0f), 0.6f, 1e-6f);
    EXPECT_EQ(tagFade(22.4f), 0.0f);

    EdgeMarker up = ballEdgeMarker({640, 100}, false);
    ASSERT_TRUE(up.shown);
    EXPECT_FLOAT_EQ(up.arrow.a.y, 40);
    EXPECT_FLOAT_EQ(up.label.y, 80);
    EXPECT_EQ(up.color.a, 235) << "a touch stronger than the floor arrow";
    EXPECT_EQ(up.color.g, 150);
    EdgeMarker behind = ballEdgeMarker({640, 100}, true); // mirrored below the centre
    EXPECT_FLOAT_EQ(behind.arrow.a.y, 680);
    EdgeMarker side = ballEdgeMarker({2000, 400}, false);
    EXPECT_NEAR(side.arrow.a.x, 1240, 0.5f);
    EXPECT_FALSE(ballEdgeMarker({640, 360}, true).shown) << "no direction";

    // raylib draws only triangles that run counter-clockwise on the y-down canvas.
    EXPECT_LT(signedArea(downPointer({100, 100}, 9, 14)), 0);
    for (float a = -3.1f; a < 3.2f; a += 0.5f) {
        EXPECT_LT(signedArea(ballPointerTriangle(a)), 0) << a;
        EXPECT_LT(signedArea(minimapWedge({1100, 100}, a)), 0) << a;
    }
    EXPECT_GT(signedArea(ballPointerTriangle(0)), -200) << "only the pointer's own size";
}

TEST(EmoteBubbles, PopFadeAndAnchor) {
    EXPECT_FLOAT_EQ(emoteBubbleLook(0, 0).scale, 0.6f);
    EXPECT_NEAR(emoteBubbleLook(0, 0.075f).scale, 0.92f, 1e-5f);
    EXPECT_EQ(emoteBubbleLook(0, 0.15f).scale, 1.0f);
    EXPECT_NEAR(emoteBubbleLook(7, 2.4f).fade, 0.5f, 1e-5f);
    EXPECT_FALSE(emoteBubbleLook(7, 2.61f).shown);
    EXPECT_FALSE(emoteBubbleLook(8, 0.5f).shown) << "eight emotes only";
    EXPECT_FALSE(emoteBubbleLook(-1, 0.5f).shown);

    auto s = liveMatch(0);
    s->camera = {{0, 6, 14}, {0, 1, 4}, {0, 1, 0}, 50, CAMERA_PERSPECTIVE};
    s->emoteTime[0] = s->emoteTime[1] = 0.5f;
    BubbleAnchor own = emoteBubbleAnchor(*s, 0);
    EXPECT_TRUE(own.ownLabel);
    EXPECT_FLOAT_EQ(own.point.y, 547);
    s->chaseBlend = 0.6f;
    EXPECT_FALSE(emoteBubbleAnchor(*s, 0).ownLabel) << "in the chase view he has a bubble over his head";
    const BubbleAnchor mate = emoteBubbleAnchor(*s, 1); // at x 4 on the right, above his head
    EXPECT_GT(mate.point.x, 640);
    EXPECT_LT(mate.point.y, GetWorldToScreenEx({4, 2.0f, 9}, s->camera, 1280, 720).y);
    s->camera.target = {0, 6, 30}; // looking away
    EXPECT_FALSE(emoteBubbleAnchor(*s, 1).shown);
}

TEST(Panels, BoxScoreRowsMvpAndOutcome) {
    MatchOptions o;
    o.oneOnOne = true;
    o.localIndex = 3;
    auto s = newMatch(o); // slot 1 of each team plays: players 1 and 3
    s->players[1].points = 7;
    s->players[1].fgm = 3;
    s->players[1].fga = 8;
    s->players[3].rebounds = 2;
    std::vector<BoxScoreRow> rows = boxScoreRows(*s, 330);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].y, 354);
    EXPECT_EQ(rows[1].y, 388) << "team 1 starts 10 px lower";
    EXPECT_EQ(rows[0].fieldGoals, "3-8");
    EXPECT_EQ(rows[1].fieldGoals, "0-0");
    EXPECT_EQ(rows[1].name, "TATE (YOU)");
    s->aliases[3] = "ABCDEFGHIJKLMN";
    EXPECT_EQ(boxScoreRows(*s, 0)[1].name, "ABCDEFGHIJKLMN (YOU)");

    EXPECT_EQ(mvpLine(*s), "MVP: MARCUS VOLT");
    s->players[3].points = 5; // 7 each: the lower index keeps it
    EXPECT_EQ(matchMvp(*s), 1);
    s->players[0].points = 8; // an absent player still counts
    EXPECT_EQ(matchMvp(*s), 0);
    s->players[3].assists = 2;
    EXPECT_EQ(mvpLine(*s), "MVP: ABCDEFGHIJKLMN");

    s->winner = -1; // no winner recorded: the side ahead
    s->scores[1] = 11;
    EXPECT_EQ(winningSide(*s), 1);
    EXPECT_TRUE(endScreenVictory(*s));
    s->localIndex = -1;
    EXPECT_TRUE(endScreenVictory(*s)) << "a match with nobody playing here always reads as a victory";
}

// The HUD, the arena and the character builder share one scaleRgb. Called
// out of line, as any caller the compiler does not inline calls it: the
// characters' factors above 1 clamp at 255, and the HUD's below 1 truncate.
TEST(ColourScale, OneDefinitionClampsAboveOneAndTruncatesBelow) {
    Color (*volatile scale)(Color, float) = scaleRgb;
    const Color bright = scale({200, 100, 250, 77}, 1.5f);
    EXPECT_EQ(bright.r, 255);
    EXPECT_EQ(bright.g, 150);
    EXPECT_EQ(bright.b, 255);
    EXPECT_EQ(bright.a, 77);
    const Color dim = scale({201, 51, 7, 200}, 0.5f);
    EXPECT_EQ(dim.r, 100);
    EXPECT_EQ(dim.g, 25);
    EXPECT_EQ(dim.b, 3);
    EXPECT_EQ(dim.a, 200);
    const Color none = scale({10, 20, 30, 40}, -1.0f);
    EXPECT_EQ(none.r + none.g + none.b, 0);
}
