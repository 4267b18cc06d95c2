// Time to list 5000 radios through the radio chooser, as a logger fills its
// list: GetNumChoices, then GetRadioName for every choice (goal: under
// 100 ms). The radios are one simulated K4 that answers each probe with 5000
// datagrams of distinct ids, over loopback: run it in a private network
// namespace (tools/isolated).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "com/ComPtr.h"
#include "com/ObjectRoot.h"
#include "k4sim/Simulator.h"
#include "manager/RigManager.h"
#include "support/TempIniFolder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRadios = 5000;
constexpr int kRounds = 5;

SHORT countChoices(IRadioChooser* chooser) {
    SHORT count = 0;
    chooser->GetNumChoices(0, 0, &count);
    return count;
}

// Waits until every radio is listed; UDP may drop some of a flood's
// answers, so the remote entries probe the simulator a few more times.
bool allListed(IRadioChooser* chooser) {
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (countChoices(chooser) < kRadios + 1) {
        if (Clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

double listOnce(IRadioChooser* chooser) {
    const auto start = Clock::now();
    const SHORT count = countChoices(chooser);
    for (SHORT choice = 1; choice < count; ++choice) {
        BSTR name = nullptr;
        chooser->GetRadioName(0, choice, &name);
        SysFreeString(name);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
    testsupport::TempIniFolder ini;
    k4sim::RadioOptions flooding;
    flooding.shape = k4sim::AnswerShape::real;  // every name "0": each is shown as "K4 <id>"
    flooding.port = 0;
    flooding.faults.flood = kRadios;
    k4sim::SimOptions options;
    options.radios = {flooding};
    options.bindAddress = "127.0.0.1";
    options.discoveryPort = 0;
    k4sim::Simulator sim(options);
    sim.start();
    ini.set("ELECRAFT_K4_PORTNUMBER", std::to_string(sim.discoveryPort()));
    ini.set("ELECRAFT_K4_IP_ADDRESSES", "127.0.0.1 127.0.0.1 127.0.0.1");

    com::ComPtr<IRigManager3> manager;
    com::ComPtr<IRadioChooser> chooser;
    if (FAILED(com::createInstance<CRigManager>(nullptr, IID_IRigManager3, reinterpret_cast<void**>(manager.receive()))) ||
        FAILED(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive())))) {
        std::fprintf(stderr, "chooser_bench: no rig manager\n");
        return 1;
    }
    if (!allListed(chooser.get())) {
        std::fprintf(stderr, "chooser_bench: only %d of %d radios listed\n", countChoices(chooser.get()) - 1, kRadios);
        return 1;
    }
    std::vector<double> millis;
    for (int round = 0; round < kRounds; ++round) millis.push_back(listOnce(chooser.get()));
    std::sort(millis.begin(), millis.end());
    std::printf("chooser: GetNumChoices and GetRadioName 1..%d, %d rounds: median %.1f ms (%.1f-%.1f), goal < 100 ms\n",
                kRadios, kRounds, millis[kRounds / 2], millis.front(), millis.back());
    return 0;
}
