#include "tools/qbhost/CommandTexts.h"

#include <cctype>

namespace qbhost {
namespace {

std::string savedKey(short slot) { return "K4Slot" + std::to_string(slot + 1); }

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string savedChoiceLine(short slot, const std::string& savedId, short choice, const std::string& name) {
    const std::string start = "saved choice for slot " + std::to_string(slot) + ": ";
    if (savedId.empty()) return start + "none (" + savedKey(slot) + " is not set)";
    const std::string setting = savedKey(slot) + "=" + savedId;
    if (choice <= 0) return start + setting + " not found";
    return start + std::to_string(choice) + "  " + name + " (" + setting + ")";
}

std::string noSavedRadio(short slot, const std::string& savedId) {
    const std::string slotText = "slot " + std::to_string(slot);
    if (savedId.empty())
        return "no radio saved for " + slotText + " (" + savedKey(slot) +
               " is not set): choose one with --choice N, as qbhost list numbers them";
    return "the radio saved for " + slotText + ", " + savedKey(slot) + "=" + savedId +
           ", was not found: it did not answer discovery (qbhost list shows the radios that did)";
}

std::string dialogOutcome(const std::string& before, const std::string& after) {
    const std::string setting = "ELECRAFT_K4_IP_ADDRESSES=" + after;
    if (after != before) return "addresses saved: " + setting;
    return "address dialog closed, addresses unchanged: " + setting;
}

std::string serialOpenFailure(const std::string& port, unsigned long error, const std::string& reason,
                              bool underWine) {
    std::string text = "cannot open " + port + ": " + reason + " (error " + std::to_string(error) + ")";
    if (underWine)
        text += "; under Wine " + port + " is the link dosdevices/" + lower(port) +
                " in the Wine prefix to a Linux device (such as /dev/ttyUSB0), which your Linux account must be "
                "allowed to open: as a rule as a member of the group dialout (log in again after joining it)";
    return text;
}

}  // namespace qbhost
