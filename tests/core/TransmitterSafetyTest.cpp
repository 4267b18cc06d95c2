// The transmitter in the hands of the logger double, against simulated
// radios on the real clock: an unkey the radio may not have had is sent
// first on the next link; a rig released while its radio has stopped
// reading leaves nothing behind that could key the radio later, and a rig
// released from a healthy radio still delivers its last unkey. What the
// radio carried out decides.
#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/RigEndToEnd.h"
#include "core/RigNetworkTestAccess.h"
#include "support/Eventually.h"

namespace {

using coretest::RigEndToEnd;
using loggerdouble::kMillisecond;
using loggerdouble::kSecond;
using namespace std::chrono_literals;

const loggerdouble::Row& kLogger = loggerdouble::kRows[0];

class TransmitterSafetyTest : public RigEndToEnd {
protected:
    TransmitterSafetyTest() : RigEndToEnd(3) {}

    bool transmitting(size_t index) { return radio(index).state().transmitting; }

    size_t executed(size_t index, const std::string& command) {
        const std::vector<std::string> commands = radio(index).commands();
        return static_cast<size_t>(std::count(commands.begin(), commands.end(), command));
    }

    size_t logged(const std::vector<std::string>& lines, const std::string& entry) {
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.size() > 10 && line.substr(10) == entry;
        }));
    }

    // Keys the radio through the rig and waits until the radio transmits.
    void key(loggerdouble::LoggerDouble& logger, size_t index) {
        ASSERT_EQ(logger.xmit(1), S_OK);
        for (int i = 0; i < 50 && !transmitting(index); ++i) logger.runFor(100 * kMillisecond);
        ASSERT_TRUE(transmitting(index));
    }
};

// Keyed; the radio's network fails; the operator unkeys, either once the
// link has been given up (the unkey is refused) or before (it is written to
// a link that no longer delivers). The radio comes back: the next link sends
// the unkey first. An unkey the radio answered after is not sent again.
TEST_F(TransmitterSafetyTest, AnUnkeyTheRadioMayNotHaveHadIsSentFirstOnTheNextLink) {
    enum class Unkey { refusedOnADownLink, writtenToADeadLink, answered };
    std::vector<std::thread> cases;
    for (const Unkey unkey : {Unkey::refusedOnADownLink, Unkey::writtenToADeadLink, Unkey::answered})
        cases.emplace_back([&, unkey] {
            const size_t i = static_cast<size_t>(unkey);
            com::ComPtr<IQbRig> rig = makeRig(static_cast<unsigned short>(i));
            loggerdouble::RealTime time;
            loggerdouble::LoggerDouble logger(rig.get(), kLogger, time);
            ASSERT_TRUE(logger.runUntilShown(live(i), 5 * kSecond));
            key(logger, i);
            if (unkey == Unkey::answered) {
                ASSERT_EQ(logger.xmit(0), S_OK);
                logger.runFor(kSecond);
                ASSERT_FALSE(transmitting(i));
            }
            setFaults(i, [](k4sim::Faults& f) { f.halfOpen = true; });
            if (unkey == Unkey::writtenToADeadLink) {
                ASSERT_EQ(logger.xmit(0), S_OK);
            }
            ASSERT_TRUE(logger.runUntilShown(shownDown, 20 * kSecond));
            if (unkey == Unkey::refusedOnADownLink) {
                ASSERT_EQ(logger.xmit(0), S_OK);
            }
            setFaults(i, [](k4sim::Faults& f) { f.halfOpen = false; });
            EXPECT_EQ(transmitting(i), unkey != Unkey::answered) << "the radio did not have the unkey";
            for (int refused = 0; refused < 10; ++refused) logger.clearRit();
            ASSERT_TRUE(logger.runUntilShown(live(i), 5 * kSecond));
            EXPECT_FALSE(transmitting(i));
            EXPECT_EQ(executed(i, "TX"), 1u) << "a TX is never sent again";
        });
    for (std::thread& c : cases) c.join();
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(logged(lines, "resent \"RX;\""), 2u);
}

// Released at once after keying: a radio that reads still gets the unkey;
// one that has stopped reading (its receive buffer full, the rest waiting in
// the system's) gets nothing more, so that it does not key when it reads
// again, on the same connection.
TEST_F(TransmitterSafetyTest, ARigReleasedLeavesTheRadioInReceive) {
    for (const bool stalled : {false, true}) {
        SCOPED_TRACE(stalled ? "the radio stopped reading" : "a healthy radio");
        const size_t i = stalled ? 1 : 0;
        {
            com::ComPtr<IQbRig> rig = makeRig(static_cast<unsigned short>(i));
            loggerdouble::RealTime time;
            loggerdouble::LoggerDouble logger(rig.get(), kLogger, time);
            ASSERT_TRUE(logger.runUntilShown(live(i), 5 * kSecond));
            if (stalled) {
                // It does not answer what it reads afterwards either: an answer
                // reaching a closed link would make the system reset it.
                setFaults(i, [](k4sim::Faults& f) { f.stall = f.silent = true; });
                logger.runFor(kSecond);
                for (int step = 0; step < 10000; ++step) logger.tune(10);
                K4Ip::RigClientImpl& client = RigNetworkTestAccess::client(*static_cast<CQbRig*>(rig.get()));
                ASSERT_TRUE(testsupport::eventually([&] { return K4Ip::RigClientTestAccess::queuedBytes(client) == 0; }))
                    << "the steps wait in the system's buffers, not in the rig's queue";
            }
            ASSERT_EQ(logger.xmit(1), S_OK);
            if (!stalled) {
                ASSERT_EQ(logger.xmit(0), S_OK);
            }
        }
        setFaults(i, [](k4sim::Faults& f) { f.stall = false; });
        EXPECT_TRUE(testsupport::eventually([&] { return radio(i).linkCounts().open == 0; }));
        std::this_thread::sleep_for(200ms);
        EXPECT_FALSE(transmitting(i));
        EXPECT_EQ(executed(i, "TX"), stalled ? 0u : 1u);
    }
}

// Texts a rig's queue still holds when it is released (its connection has
// written none of them) are dropped and logged.
TEST_F(TransmitterSafetyTest, TextsDroppedOnReleaseAreLogged) {
    {
        com::ComPtr<IQbRig> rig = makeRig(2);
        loggerdouble::RealTime time;
        loggerdouble::LoggerDouble logger(rig.get(), kLogger, time);
        ASSERT_TRUE(logger.runUntilShown(live(2), 5 * kSecond));
        K4Ip::RigClientImpl& client = RigNetworkTestAccess::client(*static_cast<CQbRig*>(rig.get()));
        K4Ip::RigClientTestAccess::holdWritesUntilEnding(client);
        for (int i = 0; i < 100; ++i) logger.clearRit();
    }
    EXPECT_EQ(logged(logLines(), "dropped unsent \"RC;\""), 100u);
}

}  // namespace
