// Work that nobody waits for: a thread that is never joined, for calls that
// may block for as long as some outside service takes (a name lookup).
#pragma once

#include <functional>

namespace platform {

// Runs work on a new thread that ends on its own; an exception that escapes
// work is dropped. On Windows the thread holds a reference on the module
// that contains this code, so a DLL is not unloaded while the work runs; the
// reference goes only as the thread exits. Throws std::system_error when no
// thread can be started.
void runDetached(std::function<void()> work);

}  // namespace platform
