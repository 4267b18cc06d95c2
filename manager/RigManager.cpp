#include "manager/RigManager.h"

#include "core/RigSerial.h"
#include "manager/ProcessState.h"
#include "manager/RigPreparation.h"
#include "settings/Settings.h"
#include "platform/Text.h"

namespace {

constexpr LONG kNetworkRig = 0;
constexpr LONG kSerialRig = 1;

const char16_t* const kLabels[] = {u"Elecraft K4 via IP", u"Elecraft K4 on COMM"};
constexpr LONG kBaudRates[] = {0, 38400};

bool isRigIndex(LONG index) { return index == kNetworkRig || index == kSerialRig; }

}  // namespace

const com::InterfaceTable<CRigManager>& CRigManager::interfaces() {
    static const com::InterfaceEntry<CRigManager> entries[] = {
        com::interfaceEntry<CRigManager, IRigManager3>(IID_IRigManager3),
        com::interfaceEntry<CRigManager, IRigManager3>(IID_IRigManager2),
        com::interfaceEntry<CRigManager, IRigManager3>(IID_IRigManager),
        com::interfaceEntry<CRigManager, IRadioChooser>(IID_IRadioChooser),
    };
    static const com::InterfaceTable<CRigManager> table{entries};
    return table;
}

HRESULT CRigManager::finalConstruct() {
    return com::guard([&] {
        discovery_ = K4Ip::Discovery(process::logTrail());
        discovery_.start();
        return S_OK;
    });
}

void CRigManager::finalRelease() { discovery_.stop(); }

HRESULT CRigManager::get_Count(LONG* pVal) {
    *pVal = settings::serialRigEnabled() ? 2 : 1;
    return S_OK;
}

HRESULT CRigManager::get_Label(LONG Index, BSTR* pVal) {
    *pVal = nullptr;
    if (!isRigIndex(Index)) return E_INVALIDARG;
    *pVal = SysAllocString(reinterpret_cast<const OLECHAR*>(kLabels[Index]));
    return S_OK;
}

HRESULT CRigManager::GetRigObject(LONG Index, IQbRig** pRig) {
    *pRig = nullptr;
    if (Index != kSerialRig) return E_INVALIDARG;
    return com::guard([&] { return rig::createSerial(pRig); });
}

HRESULT CRigManager::get_Baud(LONG Index, LONG* pVal) {
    if (!isRigIndex(Index)) return E_INVALIDARG;
    *pVal = kBaudRates[Index];
    return S_OK;
}

HRESULT CRigManager::get_PortBits(LONG Index, LONG* pVal) {
    *pVal = 0;
    return S_OK;
}

HRESULT CRigManager::get_MultiRigMaxCount(LONG Index, SHORT* pVal) {
    if (Index != kNetworkRig) return E_INVALIDARG;
    *pVal = 1;
    return S_OK;
}
