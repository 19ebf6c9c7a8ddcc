// The party lobby: the party code to share, the four player spots with each
// member's alias, team, host and ready marks, and the match rules. The host
// edits the rules and starts the match; every member can switch sides
// (except in co-op) and guests mark themselves ready. When the server
// announces the start, the party's rules become a local match and the
// in-game screen takes over.
//
// partyLobbyFrame draws and ends the whole frame. The rules shown are always
// the server's: a host's change goes out as a "settings" message and shows
// once the server's next "room" carries it (mode and court at once). A
// guest's READY UP label follows the guest's own row as the server last sent
// it. Every team index and side read from the party is brought into range
// before anything is indexed by it.
#pragma once
#include <cstdint>
#include <string>

#include "app/settings.h"
#include "net/party.h"
#include "ui/menu.h"
#include "ui/menu_lists.h"

enum LobbyMode : int32_t {
    LOBBY_MODE_COOP = 0,
    LOBBY_MODE_ONE_ON_ONE = 1,
    LOBBY_MODE_TWO_ON_TWO = 2,
};

// What each entry of lobbyChoices holds; the host's choice rows are bound to them.
enum LobbyChoice : int {
    CHOICE_MODE = 0,      // LobbyMode
    CHOICE_COURT = 1,     // 0 half, 1 full
    CHOICE_HOME_TEAM = 2, // roster team 0..3
    CHOICE_AWAY_TEAM = 3,
    CHOICE_GAME_TO = 4,   // 0: 11, 1: 15, 2: 21
    CHOICE_CPU_LEVEL = 5, // 0..3
    kLobbyChoiceCount = 6,
};

// Rebuilt every frame; its selected row and flash carry over.
extern Menu lobbyMenu;
// Refreshed from the party every frame before the menu is built.
extern int32_t lobbyChoices[kLobbyChoiceCount];

// "coop", "1v1", and anything else counts as two-on-two.
int lobbyModeIndex(const std::string& mode);
// 2 in co-op and one-on-one, 4 in two-on-two.
int lobbySpotCount(int modeIndex);
// A roster index 0..3 whatever the party holds.
int lobbyTeam(int32_t team);
// The roster team a member plays for: everyone on the first team in co-op,
// else the team of the member's side.
int lobbyMemberTeam(const PartySettings& rules, int modeIndex, const PartyMember& member);

void refreshLobbyChoices(const PartySettings& rules, int32_t choices[kLobbyChoiceCount]);
// The host's rows (rules, SWITCH SIDES unless co-op, START MATCH, LEAVE
// PARTY) or a guest's (SWITCH SIDES unless co-op, READY UP or NOT READY,
// LEAVE PARTY); the rule rows are bound to choices.
void buildLobbyMenu(Menu& menu, bool host, int modeIndex, bool ready, int32_t choices[kLobbyChoiceCount]);
// The rules the host sends after a choice row changed: everything from
// choices; when the two teams came out equal, the one not on the
// highlighted row moves on, or the home team itself when HOME TEAM is the
// highlighted row.
PartySettings lobbyRulesToSend(const PartySettings& current, const int32_t choices[kLobbyChoiceCount],
                               MenuAction highlighted);
// The local member's ready mark as the server last sent it; false when the
// local member is not listed.
bool serverReadyMark(const NetParty& party);

// What the lobby shows in the spots and texts.
const char* lobbyModeName(int modeIndex);
const char* lobbyModeHint(int modeIndex);
// "N / SPOTS  (CPU FILLS THE REST)", never more members than spots: a server
// may list more than the mode has room for.
std::string playerCountText(int members, int spots);
// A spot without a member: "OPEN SPOT" when the mode has that spot, else "-".
const char* emptySpotText(int row, int spots);
// "TEAM", then "   HOST" for the host and "   YOU" for the local player.
std::string memberDetailText(const char* teamName, bool host, bool self);
// A guest's three summary lines of the rules.
struct LobbySummary {
    std::string rules;   // "2 ON 2  -  HALF COURT"
    std::string matchup; // "HOME VS AWAY"
    std::string target;  // "FIRST TO 11  -  CPU PRO"
};
LobbySummary lobbySummary(const PartySettings& rules);

// The settings an online match runs with: the user's own, with the party's
// mode, court and CPU level.
Settings partyMatchSettings(const Settings& own, const PartySettings& rules);

// One frame's menu work, apart from the drawing: the choices refreshed, the
// ready mark mirrored for a guest, the rows rebuilt and the selection kept
// in range; then what the confirmed or changed row does.
void rebuildLobbyMenu(const NetParty& party);
void actOnLobbyMenu(NetParty& party, MenuResult result);

// The server started the match: the party's rules become the local match
// and the in-game screen takes over.
void startPartyMatch(NetParty& party);
void partyLobbyFrame();
