#include "manager/RigPreparation.h"

#include "com/ComPtr.h"
#include "core/RigNetwork.h"
#include "core/RigSerial.h"
#include "manager/ProcessState.h"

namespace rig {
HRESULT createSerial(IQbRig** out) {
    HRESULT hr = S_OK;
    auto* rig = com::ComObject<CQbRigSerial>::create(&hr);
    if (!rig) return FAILED(hr) ? hr : E_OUTOFMEMORY;
    auto owner = com::ComPtr<IQbRig>::adopt(rig);
    rig->setLog(process::logTrail());
    rig->setInstanceNumber(process::nextRigInstanceNumber());
    owner.copyTo(out);
    return S_OK;
}

HRESULT createNetwork(const K4Ip::Discovered& radio, SHORT slot, IQbRig** out) {
    HRESULT hr = S_OK;
    auto* rig = com::ComObject<CQbRig>::create(&hr);
    if (!rig) return FAILED(hr) ? hr : E_OUTOFMEMORY;
    auto owner = com::ComPtr<IQbRig>::adopt(rig);
    // bind comes first, so that nothing it does is logged by the rig.
    rig->bind(radio, static_cast<unsigned short>(slot));
    rig->setLog(process::logTrail());
    rig->setInstanceNumber(process::nextRigInstanceNumber());
    rig->setSlot(static_cast<uint16_t>(slot));
    owner.copyTo(out);
    return S_OK;
}

}  // namespace rig
