#include "IdleRigs.h"

#include <chrono>
#include <thread>
#include <vector>

#include "Host.h"
#include "Polling.h"
#include "ProcessStat.h"
#include "com/ComPtr.h"

namespace e2e {
namespace {

bool linkUp(IQbRig* rig) {
    com::ComPtr<IQbRigDisplayInfo> info;
    if (FAILED(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())))) return false;
    SHORT isError = 1;
    BSTR text = nullptr;
    info->GetStatusText(&isError, &text);
    SysFreeString(text);
    return isError == 0;
}

}  // namespace

IdleCost idleCost(IRadioChooser* chooser, int rigs, double seconds, const std::string& serverStatPath) {
    IdleCost cost;
    cost.rigs = rigs;
    std::vector<com::ComPtr<IQbRig>> made;
    for (int i = 0; i < rigs; ++i) {
        made.emplace_back();
        expectOk(chooser->GetRigObject(0, 1, 0, made.back().receive()), "GetRigObject");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (auto& rig : made) cost.linked += linkUp(rig.get()) ? 1 : 0;
    const auto serverCpu = [&] { return serverStatPath.empty() ? 0.0 : statFileCpuSeconds(serverStatPath); };
    const double serverBefore = serverCpu();
    const double cpuBefore = processCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = processCpuSeconds() - cpuBefore;
    const double server = serverCpu() - serverBefore;
    const double wall = microsSince(start) * 1e-6;
    cost.cpuShare = cpu / wall;
    cost.serverCpuShare = server / wall;
    return cost;
}

}  // namespace e2e
