// The one menu widget of the game: a Menu is a list of rows, navigated once a
// frame by navigateMenu from that frame's MenuInput and drawn by drawMenu in
// a centred or a label-and-value layout. A choice row edits the integer it
// is bound to in place; a plain row returns its id when confirmed.
//
// navigateMenu's result: the confirmed plain row's id (0 or more), or
// kMenuNothing, kMenuBack, kMenuChanged (a choice row's value changed).
// The menu sounds go through menuSound, so tests can listen without a device.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <raylib.h>

struct MenuItem {
    std::string label;
    std::vector<std::string> choices; // empty for a plain row
    int32_t* value = nullptr;         // index of the current choice; null for a plain row
    int32_t id = 0;                   // returned when a plain row is confirmed
    bool selectable = true;
};

struct Menu {
    std::vector<MenuItem> items;
    int32_t selected = 0;
    float flash = 0; // 1 on a confirm or change, decays by 4 per second
};

struct MenuInput {
    bool up = false, down = false, left = false, right = false, confirm = false, back = false;
};

using MenuResult = int32_t;
constexpr MenuResult kMenuNothing = -1;
constexpr MenuResult kMenuBack = -2;
constexpr MenuResult kMenuChanged = -3;

constexpr int kMenuMoveSound = 8;
constexpr int kMenuConfirmSound = 9;
constexpr int kMenuBackSound = 10;

using MenuSoundFn = void (*)(int id, float volume, float pitch, float pan);
// playSfx unless replaced.
extern MenuSoundFn menuSound;
// The three menu sounds at their usual volume and pitch.
void playMenuMove();
void playMenuConfirm();
void playMenuBack();

bool isChoiceRow(const MenuItem& item);
// The choice shown for a bound value, wrapped into 0..k-1 even when negative.
int wrapChoice(int32_t value, int choiceCount);

// Keyboard (with auto-repeat on the directions) and gamepad 0, OR-ed.
MenuInput readMenuInput();
// One frame of navigation; frameTime decays the flash. Call it before
// drawMenu, once per frame, for the menu on screen.
MenuResult navigateMenu(Menu& menu, const MenuInput& input, float frameTime);
MenuResult navigateMenu(Menu& menu, const MenuInput& input); // the front end's frame time

// rowMode: label at left, value right-aligned at left + width; otherwise each
// row centred on cx.
void drawMenu(const Menu& menu, float cx, float y, float spacing, float size, Color accent, bool rowMode,
              float left, float width);
