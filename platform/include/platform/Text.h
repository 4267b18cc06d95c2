// 8-bit text to and from BSTR through the calling thread's ANSI code page.
// On Linux, which has no code pages, each byte is taken as the code point of
// the same value (Latin-1), which is what the tests expect of code page 1252
// for ASCII.
#pragma once

#include <string>

#include "platform/Ole.h"

namespace platform {

// A new BSTR holding the text, or null when it cannot be allocated. An empty
// text gives an empty BSTR, not null.
BSTR bstrFromAnsi(const std::string& text);

// The BSTR's text converted back; a null BSTR gives an empty string.
std::string ansiFromBstr(BSTR text);

}  // namespace platform
