// The menu widget's navigation, the fixed menu lists and the online menu's
// text entry, without a window or a sound device: the menu sounds go to a
// recorder.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/settings.h"
#include "ui/frontend.h"
#include "ui/menu.h"
#include "ui/menu_lists.h"
#include "ui/online_menu.h"
#include "ui/screens.h"
#include "ui/widgets.h"

namespace {

struct SoundCall {
    int id;
    float volume, pitch;
};
std::vector<SoundCall> sounds;
void recordSound(int id, float volume, float pitch, float) { sounds.push_back({id, volume, pitch}); }

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        sounds.clear();
        device = menuSound;
        menuSound = recordSound;
    }
    void TearDown() override { menuSound = device; }
    MenuSoundFn device = nullptr;
};

MenuInput press(bool MenuInput::*key) {
    MenuInput in;
    in.*key = true;
    return in;
}

Menu plainMenu(int rows) {
    Menu m;
    for (int i = 0; i < rows; ++i) m.items.push_back(MenuItem{"ROW", {}, nullptr, 20 + i, true});
    return m;
}

std::vector<int> idsOf(const Menu& m) {
    std::vector<int> ids;
    for (const MenuItem& item : m.items) ids.push_back(item.id);
    return ids;
}

} // namespace

TEST_F(MenuTest, UpAndDownWrapAndStepOverRowsThatAreNotSelectable) {
    Menu m = plainMenu(5);
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::up), 0), kMenuNothing);
    EXPECT_EQ(m.selected, 4);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].id, kMenuMoveSound);
    EXPECT_FLOAT_EQ(sounds[0].volume, 0.6f);

    m.items[0].selectable = m.items[1].selectable = false;
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::down), 0), kMenuNothing);
    EXPECT_EQ(m.selected, 2);
    navigateMenu(m, press(&MenuInput::up), 0);
    EXPECT_EQ(m.selected, 4);

    // No selectable row at all: one pass, then the selection stays put.
    for (MenuItem& item : m.items) item.selectable = false;
    navigateMenu(m, press(&MenuInput::down), 0);
    EXPECT_EQ(m.selected, 4);
    // A selection left outside the rows is clamped before anything reads it.
    m = plainMenu(3);
    m.selected = 7;
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::confirm), 0), 22);
    m.selected = -4;
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::confirm), 0), 20);
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::back), 0), kMenuBack);
    EXPECT_EQ(sounds.back().id, kMenuBackSound);
    Menu empty;
    EXPECT_EQ(navigateMenu(empty, press(&MenuInput::confirm), 0), kMenuNothing);
}

TEST_F(MenuTest, ChoiceRowsChangeTheirValueAndNeverReturnTheirId) {
    int32_t value = 2;
    Menu m;
    m.items.push_back(MenuItem{"SPEED", {"A", "B", "C"}, &value, 50, true});
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::right), 0), kMenuChanged);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(sounds.back().id, kMenuMoveSound);
    EXPECT_FLOAT_EQ(sounds.back().pitch, 1.1f);
    EXPECT_FLOAT_EQ(m.flash, 1.0f);
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::left), 0.1f), kMenuChanged);
    EXPECT_EQ(value, 2);
    EXPECT_FLOAT_EQ(sounds.back().pitch, 0.9f);
    EXPECT_EQ(navigateMenu(m, press(&MenuInput::confirm), 0), kMenuChanged);
    EXPECT_EQ(value, 0);

    MenuInput backAndRight = press(&MenuInput::back);
    backAndRight.right = true;
    EXPECT_EQ(navigateMenu(m, backAndRight, 0), kMenuBack);
    EXPECT_EQ(value, 1);

    // A negative setting still lands on a real choice.
    value = -1;
    EXPECT_EQ(wrapChoice(value, 3), 2);
    navigateMenu(m, press(&MenuInput::left), 0);
    EXPECT_EQ(value, 1);
    value = -7;
    navigateMenu(m, press(&MenuInput::right), 0);
    EXPECT_EQ(value, 0);
}

TEST_F(MenuTest, FixedMenusHaveTheirRowsAndIds) {
    buildMenus();
    EXPECT_EQ(idsOf(mainMenu), (std::vector<int>{1, 5, 2, 3, 4}));
    const std::vector<int> options = {111, 100, 101, 109, 110, 102, 104, 105, 106, 107, 108};
    std::vector<int> withBack = options;
    withBack.push_back(9);
    EXPECT_EQ(idsOf(optionsMenu), withBack);
    std::vector<int> pause = {1};
    pause.insert(pause.end(), options.begin(), options.end());
    pause.insert(pause.end(), {2, 3, 4});
    EXPECT_EQ(idsOf(pauseMenu), pause);
    EXPECT_EQ(idsOf(matchEndMenu), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(idsOf(onlinePauseMenu), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(optionsMenu.items[0].label, "TOOLTIPS  (H)");

    // Rebuilding keeps the selection and does not pile up rows.
    optionsMenu.selected = 3;
    buildMenus();
    EXPECT_EQ(optionsMenu.selected, 3);
    EXPECT_EQ(optionsMenu.items.size(), 12u);

    // Mouse sensitivity shows index + 1 and wraps from 10 to 1; volumes run 0..10.
    const MenuItem& sens = optionsMenu.items[3];
    EXPECT_EQ(sens.value, &mouseSensIndex);
    EXPECT_EQ(sens.choices.front(), "1");
    EXPECT_EQ(sens.choices.back(), "10");
    const int kept = mouseSensIndex;
    mouseSensIndex = 9;
    optionsMenu.selected = 3;
    navigateMenu(optionsMenu, press(&MenuInput::right), 0);
    EXPECT_EQ(mouseSensIndex, 0);
    mouseSensIndex = kept;
    const MenuItem& music = optionsMenu.items[8];
    EXPECT_EQ(music.value, &settings.musicVol);
    ASSERT_EQ(music.choices.size(), 11u);
    EXPECT_EQ(music.choices.front(), "0");
    EXPECT_EQ(music.choices.back(), "10");
}

// ENTER on the title counts only after 0.3 s (a key still held from the
// intro must not open the menu), and the press that opens the menu chooses
// nothing in it.
TEST_F(MenuTest, TitleEnterWaitsAMomentAndOpensTheMenuWithoutChoosing) {
    buildMenus();
    mainMenu.selected = 0; // PLAY GAME
    changeScreen(SCREEN_TITLE);
    titleMenuOpen = false;
    screenTimer = 0.25f;
    titleInput(press(&MenuInput::confirm));
    EXPECT_FALSE(titleMenuOpen);
    EXPECT_TRUE(sounds.empty());

    screenTimer = 0.35f;
    titleInput(press(&MenuInput::confirm));
    EXPECT_TRUE(titleMenuOpen);
    EXPECT_EQ(frontendScreen, SCREEN_TITLE) << "the opening press chose PLAY GAME as well";
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].id, kMenuConfirmSound);

    titleInput(press(&MenuInput::back));
    EXPECT_FALSE(titleMenuOpen);
    titleInput(press(&MenuInput::confirm));
    titleInput(press(&MenuInput::confirm)); // the next frame's press
    EXPECT_EQ(frontendScreen, SCREEN_SQUAD_SELECT);
    changeScreen(SCREEN_TITLE);
}

TEST(Widgets, SegmentBarRoundsHalvesUpAndSevenSegmentBlanksLeadingDigits) {
    EXPECT_EQ(segmentBarLit(0.55f, 10), 6);
    EXPECT_EQ(segmentBarLit(1.7f, 10), 10);
    EXPECT_EQ(segmentBarLit(-1, 10), 0);
    EXPECT_EQ(sevenSegmentPattern(7, 3, 0, false), 0);
    EXPECT_EQ(sevenSegmentPattern(7, 3, 1, false), 0);
    EXPECT_EQ(sevenSegmentPattern(7, 3, 2, false), 0x07);
    EXPECT_EQ(sevenSegmentPattern(7, 3, 0, true), 0x3F);
    EXPECT_EQ(sevenSegmentPattern(0, 2, 1, false), 0x3F) << "the last digit always shows";
    EXPECT_EQ(sevenSegmentPattern(305, 3, 1, false), 0x3F) << "a zero inside the number shows";
}

TEST(OnlineMenuEntry, TypedAliasesAndCodesAreFilteredLimitedAndTrimmed) {
    std::string alias;
    for (int c : std::vector<int>{'x', 'y', ' ', 'z', ' ', ' ', '!', 0xE9, '-', '.', '_'})
        appendEntryChar(alias, c, ENTRY_ALIAS);
    EXPECT_EQ(alias, "XY Z  -._");
    EXPECT_EQ(trimAlias("XY Z  "), "XY Z");
    EXPECT_EQ(trimAlias("   "), "");
    alias.clear();
    for (int i = 0; i < 20; ++i) appendEntryChar(alias, 'a' + i, ENTRY_ALIAS);
    EXPECT_EQ(alias, "ABCDEFGHIJKLMN");

    std::string code;
    for (char c : std::string("r- 8x_w3q")) appendEntryChar(code, c, ENTRY_PARTY_CODE);
    EXPECT_EQ(code, "R8XW3");
}

TEST(OnlineMenuEntry, AWholeCodeRetriesAfterAFailedConnectionButOpensWhenTheServerRefusedIt) {
    auto party = std::make_unique<NetParty>();
    EXPECT_FALSE(joinsAtOnce("R8XW", *party));
    EXPECT_TRUE(joinsAtOnce("R8XW3", *party));
    party->state = PARTY_ENDED; // "Can't reach the server."
    EXPECT_TRUE(joinsAtOnce("R8XW3", *party));
    handleLobbyMessage(*party, R"({"t":"error","msg":"No party with that code."})");
    EXPECT_EQ(party->errorText, "No party with that code.");
    EXPECT_FALSE(joinsAtOnce("R8XW3", *party));
    // A new attempt forgets the refusal.
    joinParty(*party, "ABCDE", "ME");
    EXPECT_FALSE(party->refusedByServer);
    leaveParty(*party);
}
