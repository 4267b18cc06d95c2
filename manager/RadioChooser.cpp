// IRadioChooser of CRigManager: choice 0 is the address dialog, choice n >= 1
// is the n-th radio (ordered by id) of the list the host last counted
// (ChoiceList), and a negative choice means the slot's saved choice, looked
// up in a fresh list. A radio is shown under its chooser name (RadioNames),
// and its rig carries that name too. Every method clears its [out] value
// first and answers only Index 0, the network rig.
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

}  // namespace

HRESULT CRigManager::GetNumChoices(LONG Index, SHORT clearCache, SHORT* pNumChoices) {
    *pNumChoices = 0;
    if (Index != kNetworkRig) return E_INVALIDARG;
    return com::guard([&] {
        if (clearCache) discovery_.start();
        *pNumChoices = static_cast<SHORT>(1 + choices_.recount());
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
        if (size_t(RadioIndex) > choices_.count()) return E_INVALIDARG;
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
            const K4Ip::Discovered radio = saved.empty() ? K4Ip::Discovered() : choices_.freshRadio(saved);
            if (!radio) return E_FAIL;
            return rig::createNetwork(radio, SlotNumber, pRig);
        }
        if (size_t(RadioChoice) > choices_.count()) return E_INVALIDARG;
        const K4Ip::Discovered radio = choices_.radio(size_t(RadioChoice));
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
