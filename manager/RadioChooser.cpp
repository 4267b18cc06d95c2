// IRadioChooser of CRigManager: choice 0 is the address dialog, choice n >= 1
// is radio n of the list the host last counted, numbered for the whole
// discovery run (ChoiceList), and a negative choice means the slot's saved
// choice, looked up among every radio that answered. A radio is shown under
// its chooser name (RadioNames), and its rig carries that name too. Every
// method clears its [out] value first and answers only Index 0, the network
// rig. A choice that cannot be written to the settings file is logged.
#include "log/LogTrail.h"
#include "manager/ProcessState.h"
#include "manager/RigManager.h"
#include "manager/RigPreparation.h"
#include "settings/Settings.h"
#include "platform/ModuleResources.h"
#include "platform/Text.h"
#include "ui/AddressDialog.h"

namespace {

constexpr LONG kNetworkRig = 0;
constexpr UINT kIpEditString = 101;
constexpr int kDialogOk = 1;
// The chooser writes its log entries under the radio search's writer id.
constexpr int kChooserLogId = 0;

// Choices are 16-bit: discovery keeps few enough radios that choice 0 and
// every radio's number fit.
static_assert(K4Ip::kMaxDiscoveredRadios + 1 <= 32767, "radio choices must fit a SHORT");

}  // namespace

HRESULT CRigManager::GetNumChoices(LONG Index, SHORT clearCache, SHORT* pNumChoices) {
    *pNumChoices = 0;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        if (clearCache) restartDiscovery();
        *pNumChoices = static_cast<SHORT>(1 + choices_.count());
        return S_OK;
    });
}

HRESULT CRigManager::GetRadioName(LONG Index, SHORT RadioIndex, BSTR* pName) {
    *pName = nullptr;
    if (Index != kNetworkRig || RadioIndex < 0) return E_INVALIDARG;
    return com::guard([&] {
        if (RadioIndex == 0) {
            *pName = platform::loadStringResource(kIpEditString);
            return S_OK;
        }
        if (size_t(RadioIndex) > choices_.shown()) return E_INVALIDARG;
        *pName = platform::bstrFromAnsi(choices_.name(size_t(RadioIndex)));
        return *pName ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CRigManager::GetSavedChoice(LONG Index, SHORT SlotNumber, SHORT* pSaved) {
    *pSaved = 0;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        const std::string saved = settings::savedChoice(SlotNumber);
        if (!saved.empty()) *pSaved = static_cast<SHORT>(choices_.choiceOf(saved));
        return S_OK;
    });
}

HRESULT CRigManager::GetRigObject(LONG Index, SHORT RadioChoice, SHORT SlotNumber, IQbRig** pRig) {
    *pRig = nullptr;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        if (RadioChoice == 0) return editAddresses();
        if (RadioChoice < 0) {
            const std::string saved = settings::savedChoice(SlotNumber);
            const K4Ip::Discovered radio = saved.empty() ? K4Ip::Discovered() : choices_.radioWithId(saved);
            if (!radio) return E_FAIL;
            return rig::createNetwork(radio, SlotNumber, pRig);
        }
        if (size_t(RadioChoice) > choices_.shown()) return E_INVALIDARG;
        const K4Ip::Discovered radio = choices_.radio(size_t(RadioChoice));
        saveChoice(SlotNumber, radio.id());
        return rig::createNetwork(radio, SlotNumber, pRig);
    });
}

// Choice 0 never yields a rig: it runs the address dialog and, after OK,
// starts discovery again so that the new address list is probed.
HRESULT CRigManager::editAddresses() {
    if (runAddressDialog(platform::moduleHandle()) == kDialogOk) restartDiscovery();
    return E_FAIL;
}

// A new run forgets the radios found so far, so the numbers start afresh.
void CRigManager::restartDiscovery() {
    discovery_.start();
    choices_.restart();
}

// The rig is made all the same: the host asked for it, and only the next
// start of the logger misses the choice.
void CRigManager::saveChoice(SHORT slot, const std::string& radioId) {
    const auto failure = settings::saveChoice(slot, radioId);
    const auto log = process::logTrail();
    if (failure && log->isOpen())
        log->writeMessage(kChooserLogId, settings::savedChoiceKey(slot) + " not saved: " + *failure);
}
