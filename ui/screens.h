// The front end's own screens, each run by frontendFrame for one frame: each
// draws, reads its input and presents the frame. The input is always read
// before the present, which polls the devices anew: a key that changes the
// screen is then not seen a second time by the screen it leads to.
#pragma once

struct MenuInput;

void titleScreenFrame();
// What one frame's input does on the title: ENTER opens the main menu only
// once the screen has shown for a moment, and that same press chooses nothing
// in the menu it opens.
void titleInput(const MenuInput& in);
// The title's words, then its prompt or its menu, on the open canvas.
void drawTitleOverlay();
void optionsScreenFrame();
void howToPlayScreenFrame();
void onlineMenuFrame();
