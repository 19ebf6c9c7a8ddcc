// The front end's own screens, each run by frontendFrame for one frame: each
// draws, reads its input and presents the frame. The input is always read
// before the present, which polls the devices anew: a key that changes the
// screen is then not seen a second time by the screen it leads to.
#pragma once

void titleScreenFrame();
// The title's words, then its prompt or its menu, on the open canvas.
void drawTitleOverlay();
void optionsScreenFrame();
void howToPlayScreenFrame();
void onlineMenuFrame();
