// A rig manager and its chooser over simulated radios that answer the real
// discovery probe on loopback, with helpers to read what the chooser shows.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ManagerHarness.h"
#include "k4sim/Simulator.h"
#include "support/TempIniFolder.h"

namespace managertest {

inline k4sim::RadioOptions radio(const std::string& name, const std::string& id) {
    k4sim::RadioOptions options;
    options.name = name;
    options.id = id;
    options.port = 0;
    return options;
}

// The names of every radio the chooser lists, in choice order.
inline std::vector<std::string> radioNames(IRadioChooser* chooser) {
    SHORT count = 0;
    EXPECT_EQ(chooser->GetNumChoices(0, 0, &count), S_OK);
    std::vector<std::string> names;
    for (SHORT c = 1; c < count; ++c) {
        BSTR name = nullptr;
        EXPECT_EQ(chooser->GetRadioName(0, c, &name), S_OK);
        names.push_back(take(name));
    }
    return names;
}

inline std::string rigName(IQbRig* rig) {
    com::ComPtr<IQbRigDisplayInfo> info;
    EXPECT_EQ(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())), S_OK);
    BSTR name = nullptr;
    EXPECT_EQ(info->GetRigName(&name), S_OK);
    return take(name);
}

class RadioChooserTest : public ::testing::Test {
protected:
    // Serves the radios and points discovery at the simulator's port; the
    // first radio's TCP port serves every slot listed.
    void serve(std::vector<k4sim::RadioOptions> radios, std::initializer_list<int> slotsOfFirst = {1}) {
        sim_.reset();
        k4sim::SimOptions options;
        options.radios = std::move(radios);
        options.bindAddress = "127.0.0.1";
        options.discoveryPort = 0;
        sim_ = std::make_unique<k4sim::Simulator>(options);
        sim_->start();
        ini.set("ELECRAFT_K4_PORTNUMBER", std::to_string(sim_->discoveryPort()));
        if (sim_->radioCount() == 0) return;
        for (int slot : slotsOfFirst)
            ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT" + std::to_string(slot), std::to_string(sim_->radio(0).port()));
    }

    com::ComPtr<IRadioChooser> startChooser() {
        manager = createManager();
        return chooserOf(manager.get());
    }

    testsupport::TempIniFolder ini;
    std::unique_ptr<k4sim::Simulator> sim_;
    com::ComPtr<IRigManager3> manager;
};

}  // namespace managertest
