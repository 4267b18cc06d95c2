// Labels whose text does not fit: the address dialog's template is sized in
// dialog units for Windows' dialog font, and a wider stand-in (Wine's, say)
// would wrap a label's text onto a line the label is too short to show.
#pragma once

#include <windows.h>

// Widens each static label whose text, in the label's own font, is wider
// than the label, and when a label then reaches into the dialog's right
// margin, widens the dialog by as much: buttons move right with its edge,
// other controls (the edit box) grow with it. Nothing changes when every
// text fits.
void fitLabelsToText(HWND dialog);
