// Key events sent straight to a window on the X server the tests run on.
// Unlike keys typed through the server, they are never auto-repeated however
// long they are held. (Xlib stays out of this header: its Font clashes with
// raylib's.)
#pragma once

void sendKey(unsigned long window, const char* key, bool down);
