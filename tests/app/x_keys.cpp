#include "tests/app/x_keys.h"

#include <X11/Xlib.h>

void sendKey(unsigned long window, const char* key, bool down) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    XKeyEvent e = {};
    e.type = down ? KeyPress : KeyRelease;
    e.display = d;
    e.window = window;
    e.root = DefaultRootWindow(d);
    e.time = CurrentTime;
    e.same_screen = True;
    e.keycode = XKeysymToKeycode(d, XStringToKeysym(key));
    XSendEvent(d, e.window, True, down ? KeyPressMask : KeyReleaseMask, (XEvent*)&e);
    XFlush(d);
    XCloseDisplay(d);
}
