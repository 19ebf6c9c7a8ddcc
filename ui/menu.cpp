#include "ui/menu.h"

#include <algorithm>
#include <cmath>

#include "audio/audio.h"
#include "ui/fonts.h"
#include "ui/frontend.h"

MenuSoundFn menuSound = playSfx;

namespace {

constexpr float kFlashDecay = 4.0f;
constexpr float kCentrePan = 0.5f;
constexpr float kMoveVolume = 0.6f;
constexpr float kChangeVolume = 0.7f;
constexpr float kChangeDownPitch = 0.9f, kChangeUpPitch = 1.1f;

constexpr Color kSelectedLabel = {255, 255, 255, 255};
constexpr Color kLabel = {175, 180, 195, 255};
constexpr Color kDimmedLabel = {90, 90, 100, 255};
constexpr Color kValue = {190, 195, 210, 255};
constexpr Color kTextShadow = {0, 0, 0, 200};

// Next selectable row from `from` in steps of +1 or -1; `from` itself when no
// other row is selectable, so a menu of dimmed rows cannot loop for ever.
int stepToSelectable(const Menu& menu, int from, int step) {
    const int n = (int)menu.items.size();
    int i = from;
    for (int tries = 0; tries < n; ++tries) {
        i = (i + step + n) % n;
        if (menu.items[(size_t)i].selectable) return i;
    }
    return from;
}

Color lighter(Color c, unsigned char alpha) {
    auto up = [](unsigned char v) { return (unsigned char)(v + (255 - v) * 0.25f); };
    return {up(c.r), up(c.g), up(c.b), alpha};
}

Color darker(Color c, unsigned char alpha) {
    return {(unsigned char)(c.r * 0.6f), (unsigned char)(c.g * 0.6f), (unsigned char)(c.b * 0.6f), alpha};
}

// The highlight band: accent gradient with a white gloss over its top.
void drawBand(float x, float y, float w, float h, Color accent, unsigned char alpha, unsigned char glossAlpha) {
    DrawRectangleGradientV((int)x, (int)y, (int)w, (int)h, lighter(accent, alpha), darker(accent, alpha));
    DrawRectangle((int)x, (int)y, (int)w, (int)(0.45f * h), {255, 255, 255, glossAlpha});
}

Color labelColor(const Menu& menu, int i) {
    if (i == menu.selected) return kSelectedLabel;
    return menu.items[(size_t)i].selectable ? kLabel : kDimmedLabel;
}

void drawRowModeItem(const Menu& menu, int i, float yi, float size, Color accent, float left, float width) {
    const MenuItem& item = menu.items[(size_t)i];
    const bool selected = i == menu.selected;
    if (selected) {
        const float h = size + 14;
        drawBand(left - 12, yi - 7, width + 24, h, accent, 216, 30);
        DrawRectangle((int)(left - 12), (int)(yi - 7), 4, (int)h, WHITE);
    }
    const float shift = selected ? 8.0f : 0.0f;
    drawUiText(item.label.c_str(), left + shift + 2, yi + 2, size, kTextShadow);
    drawUiText(item.label.c_str(), left + shift, yi, size, labelColor(menu, i));
    if (!isChoiceRow(item)) return;
    const std::string& choice = item.choices[(size_t)wrapChoice(*item.value, (int)item.choices.size())];
    const std::string value = selected ? "<  " + choice + "  >" : choice;
    const float x = left + width - measureUiText(value.c_str(), size);
    drawUiText(value.c_str(), x + 2, yi + 2, size, kTextShadow);
    drawUiText(value.c_str(), x, yi, size, selected ? kSelectedLabel : kValue);
}

void drawCentredItem(const Menu& menu, int i, float cx, float yi, float size, Color accent) {
    const MenuItem& item = menu.items[(size_t)i];
    const bool selected = i == menu.selected;
    std::string text = item.label;
    if (isChoiceRow(item)) {
        const std::string& choice = item.choices[(size_t)wrapChoice(*item.value, (int)item.choices.size())];
        text += ":  " + (selected ? "< " + choice + " >" : choice);
    }
    if (selected) {
        const float w = std::fmax(measureUiText(text.c_str(), size) + 80, 300);
        const float h = size + 14;
        drawBand(cx - w / 2, yi - 7, w, h, accent, 229, 34);
        if (menu.flash > 0)
            DrawRectangle((int)(cx - w / 2), (int)(yi - 7), (int)w, (int)h,
                          {255, 255, 255, (unsigned char)std::fmin(menu.flash * 0.35f * 255, 255)});
    }
    drawUiTextCentered(text.c_str(), cx, yi, size, labelColor(menu, i), true);
}

} // namespace

void playMenuMove() { menuSound(kMenuMoveSound, kMoveVolume, 1.0f, kCentrePan); }
void playMenuConfirm() { menuSound(kMenuConfirmSound, 1.0f, 1.0f, kCentrePan); }
void playMenuBack() { menuSound(kMenuBackSound, 1.0f, 1.0f, kCentrePan); }

bool isChoiceRow(const MenuItem& item) { return !item.choices.empty() && item.value != nullptr; }

int wrapChoice(int32_t value, int k) { return k > 0 ? (int)(((int64_t)value % k + k) % k) : 0; }

MenuInput readMenuInput() {
    auto pressedOrRepeat = [](int a, int b) {
        return IsKeyPressed(a) || IsKeyPressed(b) || IsKeyPressedRepeat(a) || IsKeyPressedRepeat(b);
    };
    MenuInput in;
    in.up = pressedOrRepeat(KEY_W, KEY_UP);
    in.down = pressedOrRepeat(KEY_S, KEY_DOWN);
    in.left = pressedOrRepeat(KEY_A, KEY_LEFT);
    in.right = pressedOrRepeat(KEY_D, KEY_RIGHT);
    in.confirm = IsKeyPressed(KEY_ENTER) || IsKeyPressed(KEY_SPACE) || IsKeyPressed(KEY_KP_ENTER);
    in.back = IsKeyPressed(KEY_ESCAPE) || IsKeyPressed(KEY_BACKSPACE);
    if (IsGamepadAvailable(0)) {
        auto pad = [](int button) { return IsGamepadButtonPressed(0, button); };
        in.up = in.up || pad(GAMEPAD_BUTTON_LEFT_FACE_UP);
        in.down = in.down || pad(GAMEPAD_BUTTON_LEFT_FACE_DOWN);
        in.left = in.left || pad(GAMEPAD_BUTTON_LEFT_FACE_LEFT);
        in.right = in.right || pad(GAMEPAD_BUTTON_LEFT_FACE_RIGHT);
        in.confirm = in.confirm || pad(GAMEPAD_BUTTON_RIGHT_FACE_DOWN) || pad(GAMEPAD_BUTTON_MIDDLE_RIGHT);
        in.back = in.back || pad(GAMEPAD_BUTTON_RIGHT_FACE_RIGHT);
    }
    return in;
}

// The front end's frame time: fixed while frames are recorded, so a recorded
// flash fades the same on every run.
MenuResult navigateMenu(Menu& menu, const MenuInput& in) {
    return navigateMenu(menu, in, frontendFrameTime(GetFrameTime()));
}

MenuResult navigateMenu(Menu& menu, const MenuInput& in, float frameTime) {
    const int n = (int)menu.items.size();
    if (n == 0) return kMenuNothing;
    menu.flash = std::fmax(menu.flash - kFlashDecay * frameTime, 0.0f);
    menu.selected = std::clamp(menu.selected, 0, n - 1);
    if (in.up) {
        menu.selected = stepToSelectable(menu, menu.selected, -1);
        playMenuMove();
    }
    if (in.down) {
        menu.selected = stepToSelectable(menu, menu.selected, +1);
        playMenuMove();
    }
    MenuItem& item = menu.items[(size_t)menu.selected];
    if (isChoiceRow(item)) {
        const int k = (int)item.choices.size();
        if (in.left) {
            *item.value = (wrapChoice(*item.value, k) + k - 1) % k;
            menuSound(kMenuMoveSound, kChangeVolume, kChangeDownPitch, kCentrePan);
            menu.flash = 1;
        }
        if (in.right || in.confirm) {
            *item.value = (wrapChoice(*item.value, k) + 1) % k;
            menuSound(kMenuMoveSound, kChangeVolume, kChangeUpPitch, kCentrePan);
            menu.flash = 1;
        }
        if (in.back) {
            playMenuBack();
            return kMenuBack;
        }
        return in.left || in.right || in.confirm ? kMenuChanged : kMenuNothing;
    }
    if (in.confirm) {
        playMenuConfirm();
        menu.flash = 1;
        return item.id;
    }
    if (in.back) {
        playMenuBack();
        return kMenuBack;
    }
    return kMenuNothing;
}

void drawMenu(const Menu& menu, float cx, float y, float spacing, float size, Color accent, bool rowMode,
              float left, float width) {
    for (int i = 0; i < (int)menu.items.size(); ++i) {
        const float yi = y + (float)i * spacing;
        if (rowMode) drawRowModeItem(menu, i, yi, size, accent, left, width);
        else drawCentredItem(menu, i, cx, yi, size, accent);
    }
}
