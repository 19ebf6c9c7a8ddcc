#include "ui/party_lobby.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/match_frame.h"
#include "app/match_start.h"
#include "net/netcode.h"
#include "render/renderer.h"
#include "sim/match_state.h"
#include "ui/fonts.h"
#include "ui/frontend.h"
#include "ui/hud_view.h"
#include "ui/widgets.h"

Menu lobbyMenu;
int32_t lobbyChoices[kLobbyChoiceCount] = {LOBBY_MODE_TWO_ON_TWO, 0, 0, 1, 0, 1};

namespace {

constexpr int kSpotRows = 4;
constexpr int kSpotsTwoOnTwo = 4, kSpotsSmall = 2;
constexpr float kDim = 0.6f;
constexpr const char* kStartMessage = "TIP-OFF...";

constexpr const char* kModeWire[3] = {"coop", "1v1", "2v2"};
constexpr const char* kModeNames[3] = {"CO-OP VS CPU", "1 ON 1", "2 ON 2"};
constexpr const char* kModeHints[3] = {"CO-OP: EVERYONE TEAMS UP AGAINST THE CPU", "1 ON 1: ONE PLAYER EACH SIDE",
                                       "2 ON 2: UP TO FOUR PLAYERS, CPU FILLS EMPTY SPOTS"};
const std::vector<std::string> kModeChoices = {"CO-OP VS CPU", "1 ON 1", "2 ON 2"};
const std::vector<std::string> kCourtChoices = {"HALF", "FULL"};

// Layout of the three panels.
constexpr Rectangle kCodePanel = {40, 40, 520, 180};
constexpr Rectangle kPlayersPanel = {40, 240, 520, 440};
constexpr Rectangle kRulesPanel = {600, 40, 640, 640};
constexpr int kSpotTop = 310, kSpotPitch = 86;
constexpr float kHostMenuTop = 110, kGuestMenuTop = 280;

constexpr Color kTeal = {0, 190, 180, 255};
constexpr Color kRed = {200, 40, 40, 255};
constexpr Color kBlue = {60, 130, 220, 255};
constexpr Color kGoldText = {255, 230, 150, 255};
constexpr Color kSoftText = {190, 195, 210, 255};
constexpr Color kCodeLabel = {150, 230, 225, 255};
constexpr Color kReadyGreen = {120, 230, 140, 255};
constexpr Color kNotReady = {255, 160, 120, 255};
constexpr Color kOpenSpot = {120, 124, 140, 255};
constexpr Color kHostPicks = {150, 155, 170, 255};
constexpr Color kStatus = {255, 215, 130, 255};

bool isFullCourt(const PartySettings& rules) { return rules.court == "full"; }

int cpuLevel(int32_t difficulty) { return std::clamp<int32_t>(difficulty, 0, 3); }

void drawCodePanel(const NetParty& party) {
    drawPanel(kCodePanel, kTeal);
    drawUiText("PARTY CODE", 66, 58, 10, kCodeLabel);
    drawTitleText(party.code.c_str(), 64, 76, 92, kGoldText);
    drawUiText("SHARE IT: FRIENDS PICK ONLINE > JOIN PARTY", 66, 186, 10, kSoftText);
}

void drawMemberRow(const NetParty& party, const PartyMember& m, int modeIndex, int y) {
    const Team& team = teams[lobbyMemberTeam(party.settings, modeIndex, m)];
    const bool host = m.id != 0 && m.id == party.hostId;
    const bool self = m.id == party.ownId;
    DrawRectangle(60, y, 6, 72, teamDisplayColor(team));
    drawTitleText(m.alias.c_str(), 80, (float)y + 8, 30, self ? kGoldText : WHITE);
    drawUiText(memberDetailText(team.name, host, self).c_str(), 82, (float)y + 46, 10, kSoftText);
    if (host) drawUiTextRight("HOST", 520, (float)y + 26, 14, kReadyGreen, true);
    else if (m.ready) drawUiTextRight("READY", 520, (float)y + 26, 14, kReadyGreen, true);
    else drawUiTextRight("NOT READY", 520, (float)y + 26, 14, kNotReady, true);
}

void drawPlayersPanel(const NetParty& party, int modeIndex) {
    const int spots = lobbySpotCount(modeIndex);
    const int count = (int)party.members.size();
    drawPanel(kPlayersPanel, kRed);
    drawTitleText("PLAYERS", 64, 256, 30, WHITE);
    drawUiTextRight(playerCountText(count, spots).c_str(), 536, 264, 10, kSoftText, true);
    for (int i = 0; i < kSpotRows; ++i) {
        const int y = kSpotTop + kSpotPitch * i;
        DrawRectangle(60, y, 480, 72, {0, 0, 0, 110});
        if (i < count) drawMemberRow(party, party.members[i], modeIndex, y);
        else drawUiText(emptySpotText(i, spots), 80, (float)y + 26, 14, kOpenSpot);
    }
}

void drawGuestSummary(const PartySettings& rules) {
    const LobbySummary summary = lobbySummary(rules);
    drawTitleText(summary.rules.c_str(), 626, 110, 26, kGoldText);
    drawTitleText(summary.matchup.c_str(), 626, 146, 26, WHITE);
    drawUiText(summary.target.c_str(), 628, 186, 14, kSoftText);
    drawUiText("THE HOST PICKS THE RULES", 628, 214, 10, kHostPicks);
}

void drawStatusLine(const NetParty& party) {
    if (party.roomState == "playing" && !party.inMatch)
        drawUiTextCentered("A MATCH IS STILL GOING. YOU'LL JOIN THE NEXT ONE.", 640, 690, 14, kStatus, true);
    if (party.noticeTimer > 0) drawUiTextCentered(party.notice.c_str(), 640, 690, 14, kStatus, true);
}

void leaveLobby(NetParty& party) {
    leaveParty(party);
    changeScreen(SCREEN_ONLINE_MENU);
}

} // namespace

int lobbyModeIndex(const std::string& mode) {
    if (mode == kModeWire[LOBBY_MODE_COOP]) return LOBBY_MODE_COOP;
    if (mode == kModeWire[LOBBY_MODE_ONE_ON_ONE]) return LOBBY_MODE_ONE_ON_ONE;
    return LOBBY_MODE_TWO_ON_TWO;
}

int lobbySpotCount(int modeIndex) { return modeIndex == LOBBY_MODE_TWO_ON_TWO ? kSpotsTwoOnTwo : kSpotsSmall; }

int lobbyTeam(int32_t team) { return std::clamp<int32_t>(team, 0, kRosterTeams - 1); }

int lobbyMemberTeam(const PartySettings& rules, int modeIndex, const PartyMember& member) {
    const int side = modeIndex == LOBBY_MODE_COOP ? 0 : std::clamp<int32_t>(member.side, 0, 1);
    return lobbyTeam(rules.teams[side]);
}

void refreshLobbyChoices(const PartySettings& rules, int32_t choices[kLobbyChoiceCount]) {
    choices[CHOICE_MODE] = lobbyModeIndex(rules.mode);
    choices[CHOICE_COURT] = isFullCourt(rules) ? 1 : 0;
    choices[CHOICE_HOME_TEAM] = lobbyTeam(rules.teams[0]);
    choices[CHOICE_AWAY_TEAM] = lobbyTeam(rules.teams[1]);
    choices[CHOICE_GAME_TO] = gameToChoice(rules.gameTo);
    choices[CHOICE_CPU_LEVEL] = cpuLevel(rules.difficulty);
}

void buildLobbyMenu(Menu& menu, bool host, int modeIndex, bool ready, int32_t choices[kLobbyChoiceCount]) {
    const bool coop = modeIndex == LOBBY_MODE_COOP;
    menu.items.clear();
    if (host) {
        menu.items = {
            {"MODE", kModeChoices, &choices[CHOICE_MODE], LOBBY_MODE},
            {"COURT", kCourtChoices, &choices[CHOICE_COURT], LOBBY_COURT},
            {coop ? "YOUR TEAM" : "HOME TEAM", teamNameChoices(), &choices[CHOICE_HOME_TEAM], LOBBY_HOME_TEAM},
            {coop ? "CPU TEAM" : "AWAY TEAM", teamNameChoices(), &choices[CHOICE_AWAY_TEAM], LOBBY_AWAY_TEAM},
            {"GAME TO", kGameToChoices, &choices[CHOICE_GAME_TO], LOBBY_GAME_TO},
            {"CPU LEVEL", kDifficultyChoices, &choices[CHOICE_CPU_LEVEL], LOBBY_CPU_LEVEL},
        };
    }
    if (!coop) menu.items.push_back({"SWITCH SIDES", {}, nullptr, LOBBY_SWITCH_SIDES});
    if (host) menu.items.push_back({"START MATCH", {}, nullptr, LOBBY_START_MATCH});
    else menu.items.push_back({ready ? "NOT READY" : "READY UP", {}, nullptr, LOBBY_READY_UP});
    menu.items.push_back({"LEAVE PARTY", {}, nullptr, LOBBY_LEAVE_PARTY});
}

PartySettings lobbyRulesToSend(const PartySettings& current, const int32_t choices[kLobbyChoiceCount],
                               MenuAction highlighted) {
    PartySettings next = current;
    next.mode = kModeWire[std::clamp<int32_t>(choices[CHOICE_MODE], 0, 2)];
    next.court = choices[CHOICE_COURT] == 1 ? "full" : "half";
    next.gameTo = gameToScore(choices[CHOICE_GAME_TO]);
    next.difficulty = choices[CHOICE_CPU_LEVEL];
    next.teams[0] = choices[CHOICE_HOME_TEAM];
    next.teams[1] = choices[CHOICE_AWAY_TEAM];
    if (next.teams[0] == next.teams[1]) {
        const int32_t moved = (next.teams[0] + 1) % kRosterTeams;
        if (highlighted == LOBBY_HOME_TEAM) next.teams[0] = moved;
        else next.teams[1] = moved;
    }
    return next;
}

bool serverReadyMark(const NetParty& party) {
    const PartyMember* self = findSelfMember(party);
    return self && self->ready != 0;
}

const char* lobbyModeName(int modeIndex) { return kModeNames[std::clamp(modeIndex, 0, 2)]; }
const char* lobbyModeHint(int modeIndex) { return kModeHints[std::clamp(modeIndex, 0, 2)]; }

std::string playerCountText(int members, int spots) {
    char line[64];
    std::snprintf(line, sizeof line, "%d / %d  (CPU FILLS THE REST)", std::min(members, spots), spots);
    return line;
}

const char* emptySpotText(int row, int spots) { return row < spots ? "OPEN SPOT" : "-"; }

std::string memberDetailText(const char* teamName, bool host, bool self) {
    std::string text = teamName;
    if (host) text += "   HOST";
    if (self) text += "   YOU";
    return text;
}

LobbySummary lobbySummary(const PartySettings& rules) {
    char line[128];
    LobbySummary s;
    std::snprintf(line, sizeof line, "%s  -  %s COURT", lobbyModeName(lobbyModeIndex(rules.mode)),
                  isFullCourt(rules) ? "FULL" : "HALF");
    s.rules = line;
    std::snprintf(line, sizeof line, "%s VS %s", teams[lobbyTeam(rules.teams[0])].name,
                  teams[lobbyTeam(rules.teams[1])].name);
    s.matchup = line;
    std::snprintf(line, sizeof line, "FIRST TO %d  -  CPU %s", rules.gameTo,
                  kDifficultyChoices[cpuLevel(rules.difficulty)].c_str());
    s.target = line;
    return s;
}

Settings partyMatchSettings(const Settings& own, const PartySettings& rules) {
    Settings s = own;
    s.oneOnOne = rules.mode == kModeWire[LOBBY_MODE_ONE_ON_ONE] ? 1 : 0;
    s.fullCourt = isFullCourt(rules) ? 1 : 0;
    s.difficulty = cpuLevel(rules.difficulty);
    return s;
}

void rebuildLobbyMenu(const NetParty& party) {
    const bool host = isPartyHost(party);
    // The label follows what the server last said of this member, so a
    // toggle always sends the opposite of what the server holds.
    if (!host) lobbyReady = serverReadyMark(party);
    refreshLobbyChoices(party.settings, lobbyChoices);
    buildLobbyMenu(lobbyMenu, host, lobbyModeIndex(party.settings.mode), lobbyReady, lobbyChoices);
    lobbyMenu.selected = std::min(std::max(lobbyMenu.selected, 0), (int32_t)lobbyMenu.items.size() - 1);
}

void actOnLobbyMenu(NetParty& party, MenuResult result) {
    if (result == kMenuChanged) {
        if (!isPartyHost(party)) return;
        const PartySettings next = lobbyRulesToSend(party.settings, lobbyChoices, lobbyMenu.items[lobbyMenu.selected].id);
        // Mode and court show at once; the rest when the server's room says so.
        party.settings.mode = next.mode;
        party.settings.court = next.court;
        sendSettings(party, next);
    } else if (result == LOBBY_SWITCH_SIDES) {
        const PartyMember* self = findSelfMember(party);
        sendSide(party, self && self->side == 0 ? 1 : 0);
        lobbyReady = false;
    } else if (result == LOBBY_READY_UP) {
        lobbyReady = !lobbyReady;
        sendReady(party, lobbyReady);
    } else if (result == LOBBY_START_MATCH) {
        sendStart(party); // the match begins when the server's "start" arrives
    } else if (result == LOBBY_LEAVE_PARTY || result == kMenuBack) {
        leaveLobby(party);
    }
}

void startPartyMatch(NetParty& party) {
    savedSettings = settings; // leaveMatch puts the user's own values back
    settings = partyMatchSettings(settings, party.settings);
    drawLoadingScreen(kStartMessage);
    MatchLaunch launch;
    launch.home = lobbyTeam(party.settings.teams[0]);
    launch.away = lobbyTeam(party.settings.teams[1]);
    launch.local = party.ownSlot >= 0 && party.ownSlot < kNetSlots ? party.ownSlot : -1;
    launch.target = party.settings.gameTo;
    launch.seed = party.seed;
    launchMatch(launch);
    startNetMatch(party, matchState);
    onlineMatchActive = true;
}

void partyLobbyFrame() {
    NetParty& party = netParty;
    if (party.state != PARTY_JOINED) {
        changeScreen(SCREEN_ONLINE_MENU);
        return;
    }
    party.emotes.clear(); // emotes belong to the match
    if (party.started) {
        startPartyMatch(party);
        return;
    }
    const bool host = isPartyHost(party);
    const int modeIndex = lobbyModeIndex(party.settings.mode);
    drawMenuBackground(kDim);
    drawCodePanel(party);
    drawPlayersPanel(party, modeIndex);
    drawPanel(kRulesPanel, kBlue);
    drawTitleText(host ? "MATCH SETTINGS" : "MATCH", 626, 56, 30, WHITE);
    rebuildLobbyMenu(party);
    if (!host) drawGuestSummary(party.settings);
    drawMenu(lobbyMenu, 0, host ? kHostMenuTop : kGuestMenuTop, 46, 20, kBlue, true, 626, 588);
    drawUiText(lobbyModeHint(modeIndex), 628, 630, 10, kCodeLabel);
    drawStatusLine(party);
    actOnLobbyMenu(party, navigateMenu(lobbyMenu, readMenuInput()));
    drawFade();
    endUi(renderer);
    presentFrame(renderer);
}
