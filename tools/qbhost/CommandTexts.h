// The texts of qbhost's answers that depend on what it found rather than on
// the radio: the slot's saved radio, the address dialog's outcome, a COM
// port that does not open.
#pragma once

#include <string>

namespace qbhost {

// list's line for the slot's saved radio: "none (K4Slot1 is not set)",
// "K4Slot1=K4A001 not found", or the choice and name as listed above it.
// `choice` is the chooser's saved choice, 0 when the id is not listed.
std::string savedChoiceLine(short slot, const std::string& savedId, short choice, const std::string& name);

// Why a slot without --choice gives no rig: nothing saved, or the saved id
// is not among the radios discovery found.
std::string noSavedRadio(short slot, const std::string& savedId);

// What the address dialog changed: the driver gives no rig either way, so
// qbhost compares the addresses before and after it (OK without a change
// and Cancel look alike).
std::string dialogOutcome(const std::string& before, const std::string& after);

// A COM port that cannot be opened, with the system's reason; under Wine
// also how the port reaches a Linux device and the right to use it.
std::string serialOpenFailure(const std::string& port, unsigned long error, const std::string& reason,
                              bool underWine);

}  // namespace qbhost
