// The party lobby without a window or a server: a party filled by the same
// "welcome" and "room" messages the server sends, its outgoing messages
// caught in memory, and the lobby menu driven by menu input as the screen
// drives it. Which rows each member sees, the rules the host sends, READY UP
// following the server, and the spots and texts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "net/party.h"
#include "sim/match_state.h"
#include "ui/frontend.h"
#include "ui/party_lobby.h"

namespace {

void noSound(int, float, float, float) {}

struct LobbyFixture : ::testing::Test {
    std::unique_ptr<NetParty> party = std::make_unique<NetParty>();
    std::vector<WsMessage> sent;
    MenuSoundFn device = menuSound;

    void SetUp() override {
        initTeams();
        menuSound = noSound;
        party->outbox = &sent;
        lobbyMenu = Menu{};
        lobbyReady = false;
    }
    void TearDown() override { menuSound = device; }

    // Joined as member `ownId`; the room as the server sends it.
    void join(int ownId) { handleLobbyMessage(*party, "{\"t\":\"welcome\",\"id\":" + std::to_string(ownId) + ",\"code\":\"K7QPX\"}"); }
    void room(const std::string& settings, const std::string& members, int host = 1) {
        handleLobbyMessage(*party, "{\"t\":\"room\",\"code\":\"K7QPX\",\"host\":" + std::to_string(host) +
                                       ",\"state\":\"lobby\",\"settings\":" + settings + ",\"members\":" + members +
                                       "}");
    }

    std::vector<std::string> labels() {
        rebuildLobbyMenu(*party);
        std::vector<std::string> out;
        for (const MenuItem& item : lobbyMenu.items) out.push_back(item.label);
        return out;
    }
    int rowOf(MenuAction id) {
        for (size_t i = 0; i < lobbyMenu.items.size(); ++i)
            if (lobbyMenu.items[i].id == id) return (int)i;
        return -1;
    }
    // One frame of the lobby's menu work with this input on row `id`.
    MenuResult press(MenuAction id, MenuInput in) {
        rebuildLobbyMenu(*party);
        lobbyMenu.selected = rowOf(id);
        EXPECT_GE(lobbyMenu.selected, 0) << id;
        const MenuResult r = navigateMenu(lobbyMenu, in, 0.0f);
        actOnLobbyMenu(*party, r);
        return r;
    }
    MenuResult confirm(MenuAction id) {
        MenuInput in;
        in.confirm = true;
        return press(id, in);
    }
    MenuResult step(MenuAction id, bool right) {
        MenuInput in;
        (right ? in.right : in.left) = true;
        return press(id, in);
    }
    std::string lastSent() { return sent.empty() ? std::string() : sent.back().bytes; }
};

const char* kTwoMembers = "[{\"id\":1,\"alias\":\"ACE\",\"side\":0},{\"id\":2,\"alias\":\"BEE\",\"side\":1}]";

std::string rules(const char* mode, int home, int away) {
    return std::string("{\"mode\":\"") + mode + "\",\"court\":\"half\",\"gameTo\":11,\"difficulty\":1,\"teams\":[" +
           std::to_string(home) + "," + std::to_string(away) + "]}";
}

using Rows = std::vector<std::string>;

TEST_F(LobbyFixture, RowsForHostAndGuestInEveryMode) {
    join(1);
    room(rules("2v2", 0, 1), kTwoMembers);
    EXPECT_EQ(labels(), (Rows{"MODE", "COURT", "HOME TEAM", "AWAY TEAM", "GAME TO", "CPU LEVEL", "SWITCH SIDES",
                              "START MATCH", "LEAVE PARTY"}));
    room(rules("coop", 0, 1), kTwoMembers);
    EXPECT_EQ(labels(), (Rows{"MODE", "COURT", "YOUR TEAM", "CPU TEAM", "GAME TO", "CPU LEVEL", "START MATCH",
                              "LEAVE PARTY"}));
    // A mode the client does not know is two-on-two.
    room(rules("3v3", 0, 1), kTwoMembers);
    EXPECT_EQ(lobbyModeIndex(party->settings.mode), LOBBY_MODE_TWO_ON_TWO);
    EXPECT_EQ(lobbySpotCount(LOBBY_MODE_TWO_ON_TWO), 4);
    EXPECT_EQ(labels().size(), 9u);
    EXPECT_EQ(lobbyChoices[CHOICE_MODE], LOBBY_MODE_TWO_ON_TWO);

    // The host was on LEAVE PARTY; as a guest the selection stays on a row.
    lobbyMenu.selected = 8;
    room(rules("1v1", 0, 1), kTwoMembers, 2);
    EXPECT_EQ(labels(), (Rows{"SWITCH SIDES", "READY UP", "LEAVE PARTY"}));
    EXPECT_EQ(lobbyMenu.selected, 2);
    for (const MenuItem& item : lobbyMenu.items) EXPECT_TRUE(item.selectable);
    room(rules("coop", 0, 1), kTwoMembers, 2);
    EXPECT_EQ(labels(), (Rows{"READY UP", "LEAVE PARTY"}));
    EXPECT_EQ(lobbyMenu.selected, 1);
    // A guest's stray left or right changes nothing and sends nothing.
    EXPECT_EQ(step(LOBBY_READY_UP, true), kMenuNothing);
    EXPECT_TRUE(sent.empty());
}

TEST_F(LobbyFixture, HostSendsTheRulesWithTheTeamsKeptApart) {
    join(1);
    room(rules("2v2", 0, 1), kTwoMembers);
    // HOME TEAM 0 -> 1 onto the away team: the home team moves on to 2.
    EXPECT_EQ(step(LOBBY_HOME_TEAM, true), kMenuChanged);
    EXPECT_EQ(lastSent(), "{\"t\":\"settings\",\"settings\":{\"mode\":\"2v2\",\"court\":\"half\",\"gameTo\":11,"
                          "\"difficulty\":1,\"teams\":[2,1]}}");
    // Until the server's room says otherwise the menu shows its values.
    rebuildLobbyMenu(*party);
    EXPECT_EQ(lobbyChoices[CHOICE_HOME_TEAM], 0);

    // AWAY TEAM onto the home team, from either side: away = home + 1.
    room(rules("2v2", 3, 2), kTwoMembers);
    step(LOBBY_AWAY_TEAM, true);
    EXPECT_NE(lastSent().find("\"teams\":[3,0]"), std::string::npos) << lastSent();
    room(rules("2v2", 1, 2), kTwoMembers);
    step(LOBBY_AWAY_TEAM, false);
    EXPECT_NE(lastSent().find("\"teams\":[1,2]"), std::string::npos) << lastSent();

    // Mode and court show at once; GAME TO only with the next room.
    room(rules("2v2", 0, 1), kTwoMembers);
    step(LOBBY_MODE, false);
    EXPECT_EQ(party->settings.mode, "1v1");
    EXPECT_NE(lastSent().find("\"mode\":\"1v1\""), std::string::npos);
    step(LOBBY_COURT, true);
    EXPECT_EQ(party->settings.court, "full");
    step(LOBBY_GAME_TO, false);
    EXPECT_NE(lastSent().find("\"gameTo\":21"), std::string::npos) << lastSent();
    EXPECT_EQ(party->settings.gameTo, 11);
    step(LOBBY_CPU_LEVEL, true);
    EXPECT_NE(lastSent().find("\"difficulty\":2"), std::string::npos) << lastSent();

    sent.clear();
    EXPECT_EQ(confirm(LOBBY_START_MATCH), LOBBY_START_MATCH);
    EXPECT_EQ(lastSent(), "{\"t\":\"start\"}");
    EXPECT_FALSE(party->started); // the server's "start" begins the match
}

TEST_F(LobbyFixture, ReadyUpFollowsTheServer) {
    join(2);
    room(rules("2v2", 0, 1), kTwoMembers);
    EXPECT_EQ(labels()[1], "READY UP");
    confirm(LOBBY_READY_UP);
    EXPECT_EQ(lastSent(), "{\"t\":\"ready\",\"ready\":true}");
    // Before the server answers, the row still says what the server holds,
    // and a second press asks for the same again.
    EXPECT_EQ(labels()[1], "READY UP");
    confirm(LOBBY_READY_UP);
    EXPECT_EQ(lastSent(), "{\"t\":\"ready\",\"ready\":true}");

    room(rules("2v2", 0, 1), "[{\"id\":1,\"alias\":\"ACE\"},{\"id\":2,\"alias\":\"BEE\",\"side\":1,\"ready\":true}]");
    EXPECT_EQ(labels()[1], "NOT READY");
    EXPECT_TRUE(lobbyReady);
    confirm(LOBBY_READY_UP);
    EXPECT_EQ(lastSent(), "{\"t\":\"ready\",\"ready\":false}");

    // The server cleared the mark (say after a side switch): the row follows.
    room(rules("2v2", 0, 1), kTwoMembers);
    EXPECT_EQ(labels()[1], "READY UP");
    EXPECT_FALSE(lobbyReady);
    // Not listed at all: not ready.
    room(rules("2v2", 0, 1), "[{\"id\":1,\"alias\":\"ACE\"}]");
    EXPECT_FALSE(serverReadyMark(*party));
}

TEST_F(LobbyFixture, SwitchSidesAndLeaving) {
    join(2);
    room(rules("2v2", 0, 1), kTwoMembers);
    confirm(LOBBY_SWITCH_SIDES);
    EXPECT_EQ(lastSent(), "{\"t\":\"side\",\"side\":0}"); // from side 1
    room(rules("2v2", 0, 1), "[{\"id\":1}]");
    confirm(LOBBY_SWITCH_SIDES);
    EXPECT_EQ(lastSent(), "{\"t\":\"side\",\"side\":0}"); // not listed

    frontendScreen = SCREEN_PARTY_LOBBY;
    MenuInput back;
    back.back = true;
    EXPECT_EQ(press(LOBBY_SWITCH_SIDES, back), kMenuBack);
    EXPECT_EQ(party->state, PARTY_NONE);
    EXPECT_EQ(frontendScreen, SCREEN_ONLINE_MENU);
}

TEST_F(LobbyFixture, SpotsTeamsAndTexts) {
    // Three members of four spots: the fourth row is open; in one-on-one the
    // rows past the two spots show "-".
    EXPECT_STREQ(emptySpotText(3, lobbySpotCount(LOBBY_MODE_TWO_ON_TWO)), "OPEN SPOT");
    EXPECT_STREQ(emptySpotText(1, lobbySpotCount(LOBBY_MODE_ONE_ON_ONE)), "OPEN SPOT");
    EXPECT_STREQ(emptySpotText(2, lobbySpotCount(LOBBY_MODE_ONE_ON_ONE)), "-");
    // The count never shows more players than spots, whatever the server lists.
    EXPECT_EQ(playerCountText(3, 4), "3 / 4  (CPU FILLS THE REST)");
    EXPECT_EQ(playerCountText(6, 4), "4 / 4  (CPU FILLS THE REST)");
    EXPECT_EQ(playerCountText(3, lobbySpotCount(LOBBY_MODE_ONE_ON_ONE)), "2 / 2  (CPU FILLS THE REST)");

    // Teams and sides are brought into range before the roster is indexed.
    PartySettings wild;
    wild.teams[0] = 7;
    wild.teams[1] = -3;
    PartyMember m;
    m.side = 9;
    EXPECT_EQ(lobbyMemberTeam(wild, LOBBY_MODE_TWO_ON_TWO, m), 0);
    m.side = -4;
    EXPECT_EQ(lobbyMemberTeam(wild, LOBBY_MODE_TWO_ON_TWO, m), 3);
    PartySettings r;
    r.teams[0] = 2;
    r.teams[1] = 3;
    m.side = 1;
    EXPECT_EQ(lobbyMemberTeam(r, LOBBY_MODE_TWO_ON_TWO, m), 3);
    EXPECT_EQ(lobbyMemberTeam(r, LOBBY_MODE_COOP, m), 2); // everyone on the first team
    int32_t c[kLobbyChoiceCount];
    wild.difficulty = 12;
    wild.gameTo = 99;
    refreshLobbyChoices(wild, c);
    EXPECT_EQ(c[CHOICE_HOME_TEAM], 3);
    EXPECT_EQ(c[CHOICE_AWAY_TEAM], 0);
    EXPECT_EQ(c[CHOICE_CPU_LEVEL], 3);
    EXPECT_EQ(c[CHOICE_GAME_TO], 2);

    EXPECT_EQ(memberDetailText("COBRAS", true, true), "COBRAS   HOST   YOU");

    PartySettings guest;
    guest.mode = "4v4";
    guest.court = "full";
    guest.gameTo = 15;
    guest.difficulty = -2;
    guest.teams[0] = 1;
    guest.teams[1] = 9;
    const LobbySummary s = lobbySummary(guest);
    EXPECT_EQ(s.rules, "2 ON 2  -  FULL COURT");
    EXPECT_EQ(s.matchup, std::string(teams[1].name) + " VS " + teams[3].name);
    EXPECT_EQ(s.target, "FIRST TO 15  -  CPU ROOKIE");
}

} // namespace
