#include "manager/RigPreparation.h"

#include "com/ComPtr.h"
#include "core/RigNetwork.h"
#include "core/RigSerial.h"
#include "log/LogTrail.h"
#include "manager/ProcessState.h"
#include "settings/Settings.h"

namespace rig {
namespace {

// A slot's TCP port value that is not a port is used as read; the rig's log
// names it once, right after the binding that used it, on one line: a byte
// of the value that is not printable ASCII shows as '?'.
void logTcpPortProblem(LogTrail* log, int instance, SHORT slot) {
    if (!log || !log->isOpen()) return;
    std::string problem = settings::tcpPortProblem(static_cast<unsigned short>(slot));
    for (char& c : problem)
        if (c < 0x20 || c > 0x7E) c = '?';
    if (!problem.empty()) log->writeMessage(instance, problem);
}

}  // namespace

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
    const auto log = process::logTrail();
    const int instance = process::nextRigInstanceNumber();
    rig->setLog(log);
    rig->setInstanceNumber(instance);
    rig->setSlot(static_cast<uint16_t>(slot));
    logTcpPortProblem(log.get(), instance, slot);
    owner.copyTo(out);
    return S_OK;
}

}  // namespace rig
