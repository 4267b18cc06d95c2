// IRadioChooser of CRigManager: choice 0 is the address dialog, choice n >= 1
// is the n-th radio of the current discovery snapshot (ordered by id), and a
// negative choice means the slot's saved choice. A radio is shown under its
// chooser name (RadioNames), and its rig carries that name too. Every method
// clears its [out] value first and answers only Index 0, the network rig.
#include <vector>

#include "manager/RadioNames.h"
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

// Choices are 16-bit: discovery keeps few enough radios that choice 0 and
// every radio's number fit.
static_assert(K4Ip::kMaxDiscoveredRadios + 1 <= 32767, "radio choices must fit a SHORT");

// The 1-based choice of the first radio whose id equals the saved text byte
// for byte, or 0.
SHORT choiceOfSaved(const std::vector<K4Ip::Discovered>& radios, const std::string& saved) {
    if (saved.empty()) return 0;
    for (size_t i = 0; i < radios.size(); ++i)
        if (radios[i].id() == saved) return static_cast<SHORT>(i + 1);
    return 0;
}

// The radio of a 1-based choice under the name the chooser shows for it.
K4Ip::Discovered shownRadio(const std::vector<K4Ip::Discovered>& radios, SHORT choice) {
    return radios[choice - 1].renamed(chooser::radioNames(radios)[choice - 1]);
}

}  // namespace

HRESULT CRigManager::GetNumChoices(LONG Index, SHORT clearCache, SHORT* pNumChoices) {
    *pNumChoices = 0;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        if (clearCache) discovery_.start();
        *pNumChoices = static_cast<SHORT>(1 + discovery_.discovered().size());
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
        const auto radios = discovery_.discovered();
        if (size_t(RadioIndex) > radios.size()) return E_INVALIDARG;
        *pName = platform::bstrFromAnsi(chooser::radioNames(radios)[RadioIndex - 1]);
        return *pName ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CRigManager::GetSavedChoice(LONG Index, SHORT SlotNumber, SHORT* pSaved) {
    *pSaved = 0;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        const std::string saved = settings::savedChoice(SlotNumber);
        if (!saved.empty()) *pSaved = choiceOfSaved(discovery_.discovered(), saved);
        return S_OK;
    });
}

HRESULT CRigManager::GetRigObject(LONG Index, SHORT RadioChoice, SHORT SlotNumber, IQbRig** pRig) {
    *pRig = nullptr;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        if (RadioChoice == 0) return editAddresses();
        const auto radios = discovery_.discovered();
        if (RadioChoice < 0) {
            const SHORT saved = choiceOfSaved(radios, settings::savedChoice(SlotNumber));
            if (saved == 0) return E_FAIL;
            return rig::createNetwork(shownRadio(radios, saved), SlotNumber, pRig);
        }
        if (size_t(RadioChoice) > radios.size()) return E_INVALIDARG;
        const K4Ip::Discovered radio = shownRadio(radios, RadioChoice);
        settings::saveChoice(SlotNumber, radio.id());
        return rig::createNetwork(radio, SlotNumber, pRig);
    });
}

// Choice 0 never yields a rig: it runs the address dialog and, after OK,
// starts discovery again so that the new address list is probed.
HRESULT CRigManager::editAddresses() {
    if (runAddressDialog(platform::moduleHandle()) == kDialogOk) discovery_.start();
    return E_FAIL;
}
