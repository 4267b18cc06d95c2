// Ctrl+C, Ctrl+Break and the closing of qbhost's console while a command
// must not simply end (a keyed radio must be unkeyed first): the console's
// handler only notes the request, and the command, on its own thread, looks
// at it and finishes in order.
#pragma once

namespace qbhost {

class ConsoleStop {
public:
    ConsoleStop();
    // Tells a waiting handler that the command is finished, then restores
    // the console's default handling.
    ~ConsoleStop();
    ConsoleStop(const ConsoleStop&) = delete;
    ConsoleStop& operator=(const ConsoleStop&) = delete;

    // True once the user has asked to stop.
    bool requested() const;
};

}  // namespace qbhost
