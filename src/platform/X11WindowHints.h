#pragma once

struct _XDisplay;

namespace platform {

// Tells the window manager, through the window's Motif hints, that a
// top-level X window can be neither resized nor maximised, neither as a
// function nor by a border or button; the other hints stay. `display` is the
// Xlib connection that owns the window. False when the window has no Motif
// hints to amend.
bool forbidResizing(_XDisplay *display, unsigned long window);

} // namespace platform
