// The screen on a Wayland session, as a module of its own (kalibrix-screencast): the desktop's
// screen-cast portal over D-Bus and its PipeWire stream. The program loads it when the screen is first
// copied on such a session (platform/linux/systemscreen.cpp), so that an X11 session maps neither.

#include "platform/linux/screencast/screencast.h"

extern "C" Q_DECL_EXPORT kx::SharedScreen* kalibrix_share_screen(kx::SettingsStore& settings) {
    return new kx::ScreenCast(settings);
}
