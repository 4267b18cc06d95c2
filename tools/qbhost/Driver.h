// qbhost's side of the driver: creates RigManager through COM as the logger
// does and obtains rig objects from it.
#pragma once

#include <stdexcept>
#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"

namespace qbhost {

// A failure that ends qbhost with a one-line message and an exit code.
class Failure : public std::runtime_error {
public:
    Failure(const std::string& message, int exitCode) : std::runtime_error(message), exitCode(exitCode) {}
    const int exitCode;
};

enum ExitCode {
    kOk = 0,
    kUsage = 2,
    kNotRegistered = 3,
    kNoRadio = 4,
    kLinkDown = 5,
    kFailed = 6,
    kNoAnswer = 7,
    kNotConfirmed = 8,
    kStillKeyed = 9,
    kDriverInUse = 10,  // another program (the logger) holds the driver, and no --force
    kLogInUse = 11,     // the driver's log cannot be moved aside, so the driver is not loaded
};

// COM for this thread (a single-threaded apartment, as the logger uses) and
// the driver's rig manager.
class Driver {
public:
    Driver();
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    IRigManager3* manager() const { return manager_.get(); }
    IRadioChooser* chooser() const { return chooser_.get(); }

    // The network rig for a slot: the given choice, or the slot's saved one.
    com::ComPtr<IQbRig> networkRig(short slot, const short* choice) const;
    // The serial rig, not yet given a port.
    com::ComPtr<IQbRig> serialRig() const;

private:
    com::ComPtr<IRigManager3> manager_;
    com::ComPtr<IRadioChooser> chooser_;
};

std::string hresultText(HRESULT hr);

}  // namespace qbhost
