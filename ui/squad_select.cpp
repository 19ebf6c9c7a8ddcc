#include "ui/squad_select.h"

#include <cstdio>
#include <vector>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/settings.h"
#include "characters/character_model.h"
#include "render/renderer.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/lineup.h"
#include "ui/menu_lists.h"
#include "ui/widgets.h"

Menu squadMenu;

namespace {

constexpr int kDarkPrimarySum = 150;
constexpr float kBounceRate = 2.0f;

// The 3D preview: the camera, the spot light's focus and the four figures.
constexpr Vector3 kPreviewFocus = {3.0f, 0.0f, 6.2f};
constexpr Vector3 kPreviewEye = {1.0f, 1.5f, 11.4f};
constexpr Vector3 kPreviewTarget = {2.6f, 1.2f, 5.2f};
constexpr float kPreviewFov = 38.0f;
struct FigureSpot {
    float x, z, yaw;
    int32_t stance;
};
constexpr FigureSpot kChosenSpot = {2.5f, 6.7f, -0.25f, kStanceDribble};
constexpr FigureSpot kPartnerSpot = {3.7f, 5.8f, -0.4f, kStancePlain};
constexpr FigureSpot kAwaySpots[2] = {{5.1f, 4.3f, -0.55f, kStancePlain}, {6.2f, 3.9f, -0.7f, kStanceHoldBall}};

// The card.
constexpr Rectangle kPanel = {30, 30, 560, 660};
constexpr float kRatingTrack = 200.0f;
constexpr float kRatingTop = 240.0f, kRatingStep = 22.0f;
constexpr int kShownRatings = 6; // steal and block stay off the card
constexpr const char* kRatingLabels[kShownRatings] = {"SPEED", "SHOOTING", "3PT", "DUNK", "DEFENSE", "HANDLES"};
constexpr Color kSoftText = {190, 195, 210, 255};

const std::vector<std::string> kModeChoices = {"2 ON 2", "1 ON 1"};
const std::vector<std::string> kCourtChoices = {"HALF COURT", "FULL COURT"};

unsigned char channel(float v) { return (unsigned char)v; }
Color scaled(Color c, float k, unsigned char alpha) { return {channel(c.r * k), channel(c.g * k), channel(c.b * k), alpha}; }

LineupEntry figure(int team, int player, const FigureSpot& spot) {
    return {&characterModels[2 * team + player], spot.x, 0.0f, spot.z, spot.yaw, spot.stance};
}

void drawPreview(int home, int player, int away) {
    const std::vector<LineupEntry> entries = {figure(home, player, kChosenSpot), figure(home, 1 - player, kPartnerSpot),
                                              figure(away, 0, kAwaySpots[0]), figure(away, 1, kAwaySpots[1])};
    Camera3D camera = {};
    camera.position = kPreviewEye;
    camera.target = kPreviewTarget;
    camera.up = {0, 1, 0};
    camera.fovy = kPreviewFov;
    camera.projection = CAMERA_PERSPECTIVE;
    drawLineupScene(entries, camera, kPreviewFocus, animClock);
}

void drawPlayerCard(const Team& team, const RosterPlayer& player, Color accent) {
    DrawRectangleGradientH(44, 106, 532, 64, {team.primary.r, team.primary.g, team.primary.b, 242},
                           scaled(team.primary, 0.4f, 229));
    DrawRectangle(44, 166, 532, 4, team.secondary);
    drawUiText(team.city, 60, 113, 10, {230, 230, 240, 255});
    drawTitleText(team.name, 60, 124, 40, WHITE);
    drawTitleText(squadCardName(player).c_str(), 60, 182, 30, {255, 220, 140, 255});
    drawUiText(squadCardDetails(player).c_str(), 60, 218, 10, kSoftText);
    char value[8];
    for (int i = 0; i < kShownRatings; ++i) {
        const float y = kRatingTop + kRatingStep * (float)i;
        const float rating = player.ratings[i];
        drawUiText(kRatingLabels[i], 60, y, 10, kSoftText);
        DrawRectangle(150, (int)(y + 1), (int)kRatingTrack, 10, {0, 0, 0, 150});
        DrawRectangleGradientH(150, (int)(y + 1), ratingBarWidth(rating), 10, scaled(accent, 0.6f, accent.a), accent);
        std::snprintf(value, sizeof value, "%d", ratingShown(rating));
        drawUiText(value, 360, y, 10, WHITE);
    }
}

} // namespace

Color squadAccent(const Team& home) {
    return home.primary.r + home.primary.g + home.primary.b < kDarkPrimarySum ? home.secondary : home.primary;
}

int keepOpponentApart(int home, int opponentBefore, int opponentAfter) {
    if (opponentAfter != home) return opponentAfter;
    int step = 1; // the home team moved onto the opponent: push it on
    if (opponentAfter != opponentBefore)
        step = (opponentAfter - opponentBefore + kRosterTeams) % kRosterTeams == 1 ? 1 : -1;
    return (opponentAfter + step + kRosterTeams) % kRosterTeams;
}

std::string squadCardName(const RosterPlayer& player) {
    char text[96];
    std::snprintf(text, sizeof text, "#%d %s %s", (int)player.look.number, player.first, player.last);
    return text;
}

std::string squadCardDetails(const RosterPlayer& player) {
    char text[64];
    std::snprintf(text, sizeof text, "%s  -  %.2f M", player.position, player.look.height);
    return text;
}

std::string squadSummary(const Team& away, int slot, bool oneOnOne) {
    char text[160];
    if (oneOnOne)
        std::snprintf(text, sizeof text, "1 ON 1 VS  %s %s  -  %s", away.city, away.name, away.players[slot].last);
    else
        std::snprintf(text, sizeof text, "VS  %s %s  -  %s & %s", away.city, away.name, away.players[0].last,
                      away.players[1].last);
    return text;
}

int ratingShown(float rating) { return (int)(rating * 99.0f); }
int ratingBarWidth(float rating) { return (int)(kRatingTrack * rating); }

void buildSquadMenu(Menu& menu) {
    const Team& home = teams[squadTeam];
    menu.items = {
        {"TEAM", teamNameChoices(), &squadTeam, SQUAD_TEAM},
        {"PLAYER", {home.players[0].last, home.players[1].last}, &squadPlayer, SQUAD_PLAYER},
        {"OPPONENT", teamNameChoices(), &squadOpponent, SQUAD_OPPONENT},
        {"MODE", kModeChoices, &settings.oneOnOne, SQUAD_MODE},
        {"COURT", kCourtChoices, &settings.fullCourt, SQUAD_COURT},
        {"GAME TO", kGameToChoices, &settings.gameTo, SQUAD_GAME_TO},
        {"DIFFICULTY", kDifficultyChoices, &settings.difficulty, SQUAD_DIFFICULTY},
        {"TIP OFF", {}, nullptr, SQUAD_TIP_OFF},
    };
}

void squadSelectFrame(float dt) {
    lineupBounce += kBounceRate * dt;
    // The squads index the roster; whoever set them last, they stay in range.
    squadTeam = wrapChoice(squadTeam, kRosterTeams);
    squadPlayer = wrapChoice(squadPlayer, 2);
    squadOpponent = wrapChoice(squadOpponent, kRosterTeams);
    if (squadOpponent == squadTeam) squadOpponent = (squadOpponent + 1) % kRosterTeams;

    drawPreview(squadTeam, squadPlayer, squadOpponent);
    renderPost(renderer, 1.0f, 0.95f);
    EndShaderMode();

    const Team& home = teams[squadTeam];
    const Color accent = squadAccent(home);
    drawPanel(kPanel, accent);
    drawTitleText("SELECT YOUR SQUAD", 52, 46, 40, WHITE);
    drawPlayerCard(home, home.players[squadPlayer], accent);

    buildSquadMenu(squadMenu);
    const int opponentBefore = squadOpponent;
    const MenuResult result = navigateMenu(squadMenu, readMenuInput());
    squadOpponent = keepOpponentApart(squadTeam, opponentBefore, squadOpponent);
    drawMenu(squadMenu, 0, 380, 32, 20, accent, true, 64, 500);

    const std::string summary = squadSummary(teams[squadOpponent], squadPlayer, settings.oneOnOne != 0);
    drawUiText(summary.c_str(), 64, 636, 10, {255, 190, 180, 255});
    drawUiText("W/S SELECT    A/D CHANGE    ENTER CONFIRM    ESC BACK", 64, 660, 10, {150, 155, 170, 255});

    if (result == SQUAD_TIP_OFF) {
        saveSettings(settings, settingsPath);
        changeScreen(SCREEN_LOADING);
    } else if (result == kMenuBack) {
        titleMenuOpen = true;
        changeScreen(SCREEN_TITLE);
    } else if (result == kMenuChanged) {
        saveSettings(settings, settingsPath);
    }
    drawFade();
    endUi(renderer);
    presentFrame(renderer);
}
