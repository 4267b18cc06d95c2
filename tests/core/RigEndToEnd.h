// Network rigs against simulated radios, for tests that drive them through
// the logger double on the real clock: one radio per slot, each on a TCP
// port of its own on 127.0.0.1, rigs prepared as the manager prepares them,
// one log for all of them, and what the operator is shown compared with the
// radio's own history.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/ip/udp.hpp>
#include <gtest/gtest.h>

#include "core/RigNetwork.h"
#include "core/TempLogFolder.h"
#include "k4sim/Simulator.h"
#include "log/LogTrail.h"
#include "support/LoggerRows.h"
#include "support/TempIniFolder.h"

namespace coretest {

class RigEndToEnd : public ::testing::Test {
protected:
    explicit RigEndToEnd(size_t radios) {
        k4sim::SimOptions options;
        for (size_t i = 0; i < radios; ++i) {
            k4sim::RadioOptions radio;
            radio.name = "K4-" + std::to_string(i + 1);
            radio.port = 0;
            options.radios.push_back(radio);
        }
        options.bindAddress = "127.0.0.1";
        options.discovery = false;
        sim.emplace(options);
        sim->start();
        for (size_t i = 0; i < radios; ++i)
            ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT" + std::to_string(i + 1), std::to_string(radio(i).port()));
        log->openInFolder(logFolder.path());
    }

    k4sim::Radio& radio(size_t index) { return sim->radio(index); }

    // A rig on the slot's radio, prepared as the manager prepares it.
    com::ComPtr<IQbRig> makeRig(unsigned short slot) {
        HRESULT hr = E_FAIL;
        auto* object = com::ComObject<CQbRig>::create(&hr);
        EXPECT_EQ(hr, S_OK);
        const boost::asio::ip::udp::endpoint from(boost::asio::ip::address_v4::loopback(), 9100);
        EXPECT_TRUE(object->bind(K4Ip::Discovered(std::make_shared<K4Ip::DiscoveredImpl>(
                                     from, radio(slot).name(), "", "K4SIM00" + std::to_string(slot))),
                                 slot));
        object->setLog(log);
        object->setInstanceNumber(slot + 1);
        object->setSlot(slot);
        return com::ComPtr<IQbRig>::adopt(object);
    }

    void setFaults(size_t index, const std::function<void(k4sim::Faults&)>& change) {
        k4sim::Faults faults = radio(index).faults();
        change(faults);
        radio(index).setFaults(faults);
    }

    platform::Nanos lastByteAt(size_t index) {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(radio(index).lastSentAt().time_since_epoch())
            .count();
    }

    // The rig shows the radio's present VFO A, with no error.
    std::function<bool(const loggerdouble::Shown&)> live(size_t index) {
        return [this, index](const loggerdouble::Shown& s) {
            return s.status.empty() && s.check == S_OK && s.rcvKHz * 1000 == radio(index).state().vfoA;
        };
    }

    static bool shownDown(const loggerdouble::Shown& s) { return s.status == "Rig NULL" && s.check == E_FAIL; }

    // A new rig's defaults, before any poll was answered.
    static bool isDefault(const loggerdouble::Shown& s) { return s.rcvKHz == 0 && s.mode == 3 && s.split == 0; }

    // One whole state the radio held (its modes 1 to 6 are the host's).
    static bool heldBy(const loggerdouble::Shown& s, const std::vector<k4sim::HistoryEntry>& history) {
        for (const k4sim::HistoryEntry& entry : history) {
            const k4sim::WholeState& state = entry.state;
            const int64_t xmit = state.split ? state.vfoB : state.vfoA;
            if (s.rcvKHz * 1000 == state.vfoA && s.xmitKHz * 1000 == xmit && s.mode == state.mode &&
                s.split == (state.split ? 1 : 0))
                return true;
        }
        return false;
    }

    static std::string describe(const loggerdouble::Shown& s) {
        char text[120];
        std::snprintf(text, sizeof text, "RX %.3f kHz, TX %.3f kHz, mode %d, split %d", s.rcvKHz, s.xmitKHz, s.mode,
                      s.split);
        return text;
    }

    // Once every rig is released: the log's entry lines.
    std::vector<std::string> logLines() {
        log.reset();
        return logFolder.entryLines();
    }

    testsupport::TempIniFolder ini;
    std::optional<k4sim::Simulator> sim;
    TempLogFolder logFolder;
    std::shared_ptr<LogTrail> log = std::make_shared<LogTrail>();
};

}  // namespace coretest
