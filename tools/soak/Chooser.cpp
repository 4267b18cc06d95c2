#include "Chooser.h"

#include <algorithm>

#include "platform/Text.h"

namespace soak {

Chooser::Chooser(IRadioChooser* chooser, CallWatch& calls, std::vector<std::string> normalNames)
    : chooser_(chooser), calls_(calls), normal_(std::move(normalNames)) {}

void Chooser::refresh() {
    SHORT choices = 0;
    calls_.call("GetNumChoices(fresh)", {S_OK}, [&] { return chooser_->GetNumChoices(0, 1, &choices); });
    names_.clear();
    for (SHORT i = 1; i < choices; ++i) {
        BSTR name = nullptr;
        const HRESULT hr = calls_.call("GetRadioName", {S_OK}, [&] { return chooser_->GetRadioName(0, i, &name); });
        names_.push_back(SUCCEEDED(hr) ? platform::ansiFromBstr(name) : std::string());
        SysFreeString(name);
    }
}

bool Chooser::lastIsNormal() const {
    std::vector<std::string> normal = normal_, shown = names_;
    std::sort(normal.begin(), normal.end());
    std::sort(shown.begin(), shown.end());
    return shown == normal;
}

short Chooser::choiceOf(const std::string& name) const {
    const auto found = std::find(names_.begin(), names_.end(), name);
    return found == names_.end() ? 0 : static_cast<short>(found - names_.begin() + 1);
}

void Chooser::checkSaved(short slot, const std::string& name) {
    SHORT saved = 0;
    calls_.call("GetSavedChoice", {S_OK}, [&] { return chooser_->GetSavedChoice(0, slot, &saved); });
    if (lastIsNormal() && saved != choiceOf(name))
        calls_.violation("the saved choice of slot " + std::to_string(slot) + " is not " + name);
}

HRESULT Chooser::bindOnce(const std::string& name, short slot) {
    const short choice = choiceOf(name);
    if (choice == 0) return E_FAIL;
    com::ComPtr<IQbRig> rig;
    return calls_.call("GetRigObject", {S_OK}, [&] { return chooser_->GetRigObject(0, choice, slot, rig.receive()); });
}

}  // namespace soak
