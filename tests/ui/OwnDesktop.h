// Moves the calling thread, before it creates any window, to a desktop of
// its own that Wine draws as a virtual desktop: one window of the given size
// on this process's X display, served by a desktop process started from this
// one. Dialogs then get Wine's own frames and captions, need no window
// manager, and share nothing with the prefix's default desktop, which other
// programs may have started without a display. Returns false on failure.
#pragma once

bool useOwnDesktop(int width = 640, int height = 480);
