// Whether another running program (the logger, as a rule) holds the driver's
// DLL loaded, looked at before qbhost loads it itself. A program holding it
// has the driver's log open and links to its radios, which qbhost's own
// discovery and polls would disturb.
#pragma once

#include <string>
#include <vector>

namespace qbhost {

struct DriverHolders {
    enum class State { Free, Held, Unknown } state = State::Free;
    // "qbx.exe (process 1234)", or why the question has no answer.
    std::string detail;
};

// Looks for QboxK4Driver.dll among the modules of every other process, and
// tries to open each of `paths` (the registered copies) for writing, which
// Windows refuses while a program has it loaded. When a copy cannot be
// opened for lack of rights and some 32-bit program of this session cannot
// be examined either, the answer is Unknown.
DriverHolders findDriverHolders(const std::vector<std::string>& paths);

}  // namespace qbhost
