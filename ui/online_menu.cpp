// The online menu: the alias, CREATE PARTY and JOIN PARTY rows with their
// text entry, and the connection's status line.
#include "ui/online_menu.h"

#include <raylib.h>

#include "app/match_frame.h"
#include "app/run_flags.h"
#include "app/settings.h"
#include "net/party.h"
#include "render/renderer.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/menu.h"
#include "ui/menu_lists.h"
#include "ui/screens.h"
#include "ui/widgets.h"

namespace {

constexpr int kRows = 4;
enum OnlineRow : int { ROW_ALIAS = 0, ROW_CREATE = 1, ROW_JOIN = 2, ROW_BACK = 3 };
constexpr float kConfirmDelay = 0.2f;
constexpr float kDim = 0.6f;
constexpr Color kTeal = {0, 190, 180, 255};
constexpr Color kGold = {255, 215, 130, 255};
constexpr Color kError = {255, 120, 110, 255};
constexpr Color kHint = {190, 195, 210, 255};
constexpr Color kFooter = {150, 155, 170, 255};

bool isAllowed(int c, int mode) {
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return mode == ENTRY_ALIAS && (c == ' ' || c == '-' || c == '.' || c == '_');
}

void leaveToTitle() {
    leaveParty(netParty);
    titleMenuOpen = true;
    changeScreen(SCREEN_TITLE);
}

void startEntry(int mode, const std::string& text) {
    textEntryMode = mode;
    textEntryBuffer = text;
}

void confirmEntry() {
    if (textEntryMode == ENTRY_ALIAS) {
        const std::string alias = trimAlias(textEntryBuffer);
        if (!alias.empty()) {
            settings.alias = alias;
            if (!headlessRun) saveSettings(settings, settingsPath);
        }
    } else {
        partyCodeInput = textEntryBuffer;
        if ((int)partyCodeInput.size() == kPartyCodeLength && !settings.alias.empty())
            joinParty(netParty, partyCodeInput, settings.alias);
    }
    playMenuConfirm();
    textEntryMode = ENTRY_NONE;
}

void textEntryInput() {
    for (int c = GetCharPressed(); c != 0; c = GetCharPressed()) appendEntryChar(textEntryBuffer, c, textEntryMode);
    if ((IsKeyPressed(KEY_BACKSPACE) || IsKeyPressedRepeat(KEY_BACKSPACE)) && !textEntryBuffer.empty())
        textEntryBuffer.pop_back();
    if (IsKeyPressed(KEY_ENTER) || IsKeyPressed(KEY_KP_ENTER)) {
        confirmEntry();
    } else if (IsKeyPressed(KEY_ESCAPE)) {
        textEntryMode = ENTRY_NONE;
        playMenuBack();
    }
}

void confirmRow() {
    const std::string& alias = settings.alias;
    if (onlineRow == ROW_ALIAS || (alias.empty() && (onlineRow == ROW_CREATE || onlineRow == ROW_JOIN))) {
        onlineRow = ROW_ALIAS;
        startEntry(ENTRY_ALIAS, alias);
    } else if (onlineRow == ROW_CREATE) {
        createParty(netParty, alias);
    } else if (onlineRow == ROW_JOIN) {
        if (joinsAtOnce(partyCodeInput, netParty))
            joinParty(netParty, partyCodeInput, alias);
        else
            startEntry(ENTRY_PARTY_CODE, partyCodeInput);
    } else {
        leaveToTitle();
    }
}

void rowInput() {
    const MenuInput in = readMenuInput();
    if (in.up) {
        onlineRow = (onlineRow + kRows - 1) % kRows;
        playMenuMove();
    }
    if (in.down) {
        onlineRow = (onlineRow + 1) % kRows;
        playMenuMove();
    }
    if (in.confirm && screenTimer > kConfirmDelay) {
        playMenuConfirm();
        confirmRow();
        GetCharPressed(); // the space that confirmed is no name's first letter
    }
    if (in.back) {
        playMenuBack();
        leaveToTitle();
    }
}

const char* fieldText(int mode, const std::string& value, const char* empty) {
    if (textEntryMode == mode) return textEntryBuffer.c_str();
    return value.empty() ? empty : value.c_str();
}

void drawStatusLine(int state) {
    if (state == PARTY_CONNECTING) drawUiTextCentered("CONNECTING...", 640, 560, 20, kGold, true);
    else if (state == PARTY_ENDED) drawUiTextCentered(netParty.errorText.c_str(), 640, 560, 20, kError, true);
    else if (textEntryMode != ENTRY_NONE)
        drawUiTextCentered("TYPE, THEN PRESS ENTER  (ESC CANCELS)", 640, 560, 14, kHint, true);
}

} // namespace

bool appendEntryChar(std::string& buffer, int c, int mode) {
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    const size_t limit = mode == ENTRY_ALIAS ? (size_t)kAliasMaxLength : (size_t)kPartyCodeLength;
    if (!isAllowed(c, mode) || buffer.size() >= limit) return false;
    buffer.push_back((char)c);
    return true;
}

bool joinsAtOnce(const std::string& code, const NetParty& party) {
    const bool refused = party.state == PARTY_ENDED && party.refusedByServer;
    return (int)code.size() == kPartyCodeLength && !refused;
}

std::string trimAlias(const std::string& typed) {
    const size_t end = typed.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : typed.substr(0, end + 1);
}

void onlineMenuFrame() {
    const int state = netParty.state;
    if (state == PARTY_JOINED) {
        lobbyReady = false;
        changeScreen(SCREEN_PARTY_LOBBY);
        return;
    }
    drawMenuBackground(kDim);
    drawChromeTitle("ONLINE", 640, 34, 92, 0, {30, 34, 48, 255});
    drawUiTextCentered("PLAY WITH FRIENDS: CO-OP, 1 ON 1 AND 2 ON 2", 640, 150, 20, {210, 214, 225, 255}, true);
    drawPanel({320, 200, 640, 330}, kTeal);
    drawMenuField(ROW_ALIAS, 230, "ALIAS", fieldText(ENTRY_ALIAS, settings.alias, "PRESS ENTER TO PICK ONE"),
                  textEntryMode == ENTRY_ALIAS);
    drawMenuField(ROW_CREATE, 300, "CREATE PARTY", "YOU'LL BE THE HOST", false);
    drawMenuField(ROW_JOIN, 370, "JOIN PARTY", fieldText(ENTRY_PARTY_CODE, partyCodeInput, "ENTER A CODE"),
                  textEntryMode == ENTRY_PARTY_CODE);
    drawMenuField(ROW_BACK, 460, "BACK", "", false);
    drawStatusLine(state);
    drawUiText("ARROWS / W S SELECT    ENTER CHOOSE    ESC BACK", 340, 650, 10, kFooter);
    if (textEntryMode != ENTRY_NONE) textEntryInput();
    else if (state != PARTY_CONNECTING) rowInput();
    drawFade();
    endUi(renderer);
    presentFrame(renderer);
}
