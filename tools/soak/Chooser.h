// The logger's radio chooser as the soak uses it: a fresh list of radios,
// the saved choice of each slot checked against it, and the spare radio
// chosen for a slot of its own.
//
// Runs on the soak's thread only.
#pragma once

#include <string>
#include <vector>

#include "CallWatch.h"
#include "com/ComPtr.h"

namespace soak {

class Chooser {
public:
    // `normalNames`: the chooser names of every radio k4sim serves.
    Chooser(IRadioChooser* chooser, CallWatch& calls, std::vector<std::string> normalNames);

    IRadioChooser* get() const { return chooser_; }
    // Starts discovery afresh and reads the list the chooser shows.
    void refresh();
    // Whether the list last read shows exactly the radios k4sim serves.
    bool lastIsNormal() const;
    // The choice number of the radio with this chooser name in the last
    // list; 0 when it is not there.
    short choiceOf(const std::string& name) const;
    // GetSavedChoice of the slot names this radio (checked only while the
    // list is normal).
    void checkSaved(short slot, const std::string& name);
    // Binds the radio with this name for the slot and lets it go; the
    // HRESULT (E_FAIL without a call when the last list lacks it).
    HRESULT bindOnce(const std::string& name, short slot);

private:
    IRadioChooser* const chooser_;
    CallWatch& calls_;
    const std::vector<std::string> normal_;
    std::vector<std::string> names_;
};

}  // namespace soak
