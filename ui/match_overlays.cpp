#include "ui/match_overlays.h"

#include "ui/fonts.h"
#include "ui/hud_view.h"
#include "ui/menu_lists.h"
#include "ui/panels.h"
#include "ui/widgets.h"

namespace {

constexpr Color kTitleDepth = {30, 34, 48, 255};
constexpr Color kMenuAccent = {200, 40, 40, 255};
constexpr Color kGoldAccent = {230, 180, 60, 255};
constexpr Color kHeading = {255, 215, 130, 255};
constexpr Color kTipText = {225, 228, 238, 255};
constexpr Color kHint = {190, 195, 210, 255};

const char* const kQuickTips[] = {
    "Hold LEFT CLICK to shoot - release at the top of your jump.",
    "On defense the camera pulls back - stay between your man and the hoop.",
    "Swipe (LEFT CLICK) when the ball glows - missed reaches leave you off balance.",
    "Stand still in your stance in front of a driver to draw a charge.",
    "Press H any time to show or hide the on-screen tips.",
};

// Layout of the pause view: the menu on the left, the two panels on the right.
constexpr Rectangle kMenuPanel = {70, 130, 540, 560};
constexpr Rectangle kBoxPanel = {640, 130, 580, 270};
constexpr Rectangle kTipsPanel = {640, 420, 580, 270};

} // namespace

const char* pauseScoreLine(const MatchState& s) {
    return TextFormat("%s %d  -  %d %s", teams[s.teams[0]].code, s.scores[0], s.scores[1], teams[s.teams[1]].code);
}

const char* pauseRulesLine(const MatchState& s) {
    return TextFormat("FIRST TO %d  -  %s", s.gameTo, kDifficultyChoices[(size_t)shownDifficulty(s.difficulty)].c_str());
}

void drawPauseView(const MatchState& s) {
    drawChromeTitle("PAUSED", 640, 30, 84, 0, kTitleDepth);

    drawPanel(kMenuPanel, kMenuAccent);
    drawMenu(pauseMenu, kMenuPanel.x + 0.5f * kMenuPanel.width, kMenuPanel.y + 30, 33, 16, kMenuAccent, true,
             kMenuPanel.x + 36, kMenuPanel.width - 72);

    drawPanel(kBoxPanel, kGoldAccent);
    drawTitleText("BOX SCORE", kBoxPanel.x + 30, kBoxPanel.y + 18, 28, kHeading);
    drawUiText(pauseScoreLine(s), kBoxPanel.x + 30, kBoxPanel.y + 56, 16, WHITE);
    drawBoxScore(700, 220);
    drawUiText(pauseRulesLine(s), kBoxPanel.x + 30, kBoxPanel.y + 236, 10, kHint);

    drawPanel(kTipsPanel, kGoldAccent);
    drawTitleText("QUICK TIPS", kTipsPanel.x + 30, kTipsPanel.y + 18, 28, kHeading);
    float y = kTipsPanel.y + 70;
    for (const char* line : kQuickTips) {
        drawUiText(line, kTipsPanel.x + 30, y, 10, kTipText);
        y += 28;
    }
}

void drawOnlinePauseView() {
    drawChromeTitle("PAUSED", 640, 30, 84, 0, kTitleDepth);
    drawUiTextCentered("ONLINE MATCHES DON'T STOP - YOUR PLAYER STANDS STILL", 640, 150, 16, kHint, true);
    const Rectangle panel = {390, 200, 500, 220};
    drawPanel(panel, kMenuAccent);
    drawMenu(onlinePauseMenu, 640, panel.y + 40, 46, 20, kMenuAccent, false, 0, 0);
}

void drawControlsView() {
    drawChromeTitle("CONTROLS", 640, 30, 84, 0, kTitleDepth);
    drawPanel({120, 126, 1040, 478}, kMenuAccent);
    drawControls();
    drawUiTextCentered("PRESS ENTER OR ESC", 640, 628, 16, kHint, true);
}

void drawMatchEndMenu(bool victory) {
    drawMenu(matchEndMenu, 640, 536, 46, 20, victory ? kGoldAccent : kMenuAccent, false, 0, 0);
}
