// The party lobby drawn on a real GL context from a party filled in memory
// (no server; outgoing messages caught): the host's and a guest's view as
// PNG under the build tree, the team stripes of the spots, where each view's
// menu stands, and the server's start turning the party into a local match.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>
#include <raylib.h>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/settings.h"
#include "characters/character_model.h"
#include "net/party.h"
#include "sim/match_state.h"
#include "tests/ui/menu_window.h"
#include "ui/frontend.h"
#include "ui/hud_view.h"
#include "ui/party_lobby.h"

namespace {

std::vector<WsMessage> sent;

PartyMember member(int id, const char* alias, int side, int ready) {
    PartyMember m;
    m.id = id;
    m.alias = alias;
    m.side = side;
    m.ready = ready;
    return m;
}

// The party as the lobby sees it after a "welcome" and a "room".
void fillParty(int ownId, const char* mode, std::vector<PartyMember> members) {
    NetParty& p = netParty;
    p.outbox = &sent;
    p.state = PARTY_JOINED;
    p.code = "K7QPX";
    p.ownId = ownId;
    p.hostId = 1;
    p.roomState = "lobby";
    p.settings = PartySettings{};
    p.settings.mode = mode;
    p.settings.teams[0] = 0;
    p.settings.teams[1] = 1;
    p.members = std::move(members);
    p.started = p.inMatch = false;
    p.noticeTimer = 0;
}

// One lobby frame, the fade done; the finished picture. The party is not
// updated (its socket never connected, which would end it).
Image lobbyFrame(const char* png) {
    changeScreen(SCREEN_PARTY_LOBBY);
    animClock = 2.0f;
    screenTimer = 1.0f;
    fadeAmount = 0.0f;
    partyLobbyFrame();
    Image image = uiPicture();
    EXPECT_TRUE(ExportImage(image, testOutputPath(png).c_str()));
    return image;
}

// The 6 px stripe of spot row i.
Color stripe(const Image& image, int row) { return canvasPixel(image, 62, 346 + 86 * row); }

class PartyLobbyGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openMenuWindow("korvalo party lobby test", "party_lobby_gl_settings.cfg"); }
    static void TearDownTestSuite() {
        netParty.outbox = nullptr;
        closeMenuWindow();
    }
};

} // namespace

TEST_F(PartyLobbyGl, HostAndGuestViews) {
    // The host of a two-on-two party of three: rules rows from y 110.
    fillParty(1, "2v2", {member(1, "ACE", 0, 0), member(2, "BEE", 1, 1), member(3, "CAT", 0, 0)});
    lobbyMenu.selected = 2; // HOME TEAM
    Image host = lobbyFrame("party_lobby_host.png");
    EXPECT_EQ(frontendScreen, SCREEN_PARTY_LOBBY);
    EXPECT_TRUE(ColorIsEqual(canvasPixel(host, 300, 41), Color{0, 190, 180, 255})) << "code panel";
    EXPECT_TRUE(ColorIsEqual(canvasPixel(host, 300, 241), Color{200, 40, 40, 255})) << "players panel";
    EXPECT_TRUE(ColorIsEqual(canvasPixel(host, 900, 41), Color{60, 130, 220, 255})) << "rules panel";
    EXPECT_TRUE(ColorIsEqual(stripe(host, 0), teamDisplayColor(teams[0])));
    EXPECT_TRUE(ColorIsEqual(stripe(host, 1), teamDisplayColor(teams[1])));
    EXPECT_TRUE(ColorIsEqual(stripe(host, 2), teamDisplayColor(teams[0])));
    EXPECT_FALSE(ColorIsEqual(stripe(host, 3), teamDisplayColor(teams[0]))) << "open spot has no stripe";
    EXPECT_TRUE(ColorIsEqual(canvasPixel(host, 616, 110 + 2 * 46 + 8), WHITE)) << "HOME TEAM row's white edge";
    UnloadImage(host);

    // A guest in co-op who came while a match runs: the rules as a summary,
    // READY UP and LEAVE PARTY lower down; every member on the first team.
    fillParty(2, "coop", {member(1, "ACE", 0, 0), member(2, "BEE", 1, 0)});
    netParty.roomState = "playing";
    lobbyMenu.selected = 0;
    Image guest = lobbyFrame("party_lobby_guest.png");
    EXPECT_EQ(lobbyMenu.items.size(), 2u);
    EXPECT_TRUE(ColorIsEqual(stripe(guest, 1), teamDisplayColor(teams[0])));
    EXPECT_TRUE(ColorIsEqual(canvasPixel(guest, 616, 288), WHITE)) << "READY UP row's white edge";
    EXPECT_FALSE(ColorIsEqual(canvasPixel(guest, 616, 118), WHITE)) << "no rules rows up top";
    int gold = 0; // the status line under the panels
    for (int x = 400; x < 880; ++x) gold += ColorIsEqual(canvasPixel(guest, (float)x, 697), Color{255, 215, 130, 255});
    EXPECT_GT(gold, 5);
    UnloadImage(guest);
    EXPECT_TRUE(sent.empty()); // drawing sends nothing
}

TEST_F(PartyLobbyGl, ServerStartBecomesTheLocalMatch) {
    settings = Settings{};
    settings.graphics = 2;
    settings.difficulty = 0;
    settings.alias = "BEE";
    fillParty(2, "1v1", {member(1, "ACE", 0, 0), member(2, "BEE", 1, 1)});
    NetParty& p = netParty;
    p.settings.court = "full";
    p.settings.gameTo = 15;
    p.settings.difficulty = 3;
    p.settings.teams[0] = 2;
    p.settings.teams[1] = 3;
    p.seed = 4242;
    p.delay = 6;
    p.slotIds[0] = 1;
    p.slotAliases[0] = "ACE";
    p.slotIds[2] = 2;
    p.slotAliases[2] = "BEE";
    p.ownSlot = 2;
    p.emotes.push_back({0, 3});
    p.started = true;

    Image tipOff = lobbyFrame("party_lobby_tipoff.png"); // the loading frame
    UnloadImage(tipOff);
    EXPECT_EQ(frontendScreen, SCREEN_IN_GAME);
    EXPECT_TRUE(onlineMatchActive);
    EXPECT_FALSE(pauseOpen);
    EXPECT_TRUE(p.inMatch);
    EXPECT_FALSE(p.started);
    // The user's own settings wait; the party's rules are in force.
    EXPECT_EQ(savedSettings.difficulty, 0);
    EXPECT_EQ(savedSettings.oneOnOne, 0);
    EXPECT_EQ(savedSettings.alias, "BEE");
    EXPECT_EQ(settings.difficulty, 3);
    EXPECT_EQ(settings.oneOnOne, 1);
    EXPECT_EQ(settings.fullCourt, 1);
    EXPECT_EQ(appliedHomeTeam, 2);

    const MatchState& m = matchState;
    EXPECT_EQ(m.teams[0], 2);
    EXPECT_EQ(m.teams[1], 3);
    EXPECT_EQ(m.localIndex, 2);
    EXPECT_EQ(m.gameTo, 15);
    EXPECT_EQ(m.difficulty, 3);
    EXPECT_TRUE(m.oneOnOne);
    EXPECT_TRUE(m.fullCourt);
    EXPECT_EQ(m.online, 1);
    EXPECT_EQ(m.humanMask, 0b101u);
    EXPECT_EQ(m.aliases[2], "BEE");
    EXPECT_EQ(m.rng, 4242u);
    EXPECT_EQ(m.players[0].model, &characterModels[4]);
    EXPECT_EQ(m.players[3].model, &characterModels[7]);
    EXPECT_TRUE(p.emotes.empty());

    onlineMatchActive = false;
}

TEST_F(PartyLobbyGl, LostPartyGoesToTheOnlineMenu) {
    fillParty(2, "2v2", {member(1, "ACE", 0, 0)});
    netParty.state = PARTY_ENDED;
    changeScreen(SCREEN_PARTY_LOBBY);
    partyLobbyFrame();
    EXPECT_EQ(frontendScreen, SCREEN_ONLINE_MENU);
}
