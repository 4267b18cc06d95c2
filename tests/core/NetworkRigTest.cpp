// The network rig against a real TCP peer on 127.0.0.1 standing in for the
// radio: binding, the poll and the commands over the link, the link state in
// Check and IQbRigDisplayInfo, the reconnect after ten refused sends, and
// teardown. Real time matters only where the link itself is awaited; each
// such wait is bounded and ends on the event.
#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <boost/asio/ip/udp.hpp>
#include <gtest/gtest.h>

#include "core/RigHarness.h"
#include "core/RigNetwork.h"
#include "core/RigNetworkTestAccess.h"
#include "core/TempLogFolder.h"
#include "platform/Text.h"
#include "support/Eventually.h"
#include "support/LoopbackPeer.h"
#include "support/TempIniFolder.h"
#include "tools/loggerdouble/LoggerDouble.h"

namespace {

using namespace std::chrono_literals;
using testsupport::eventually;
using coretest::check;
using coretest::frequencyOf;
using coretest::launch;
using testsupport::LoopbackPeer;

constexpr const char* kRadioName = "K4 Shack";
constexpr auto kShortWait = 300ms;

K4Ip::Discovered loopbackRadio() {
    const boost::asio::ip::udp::endpoint from(boost::asio::ip::address_v4::loopback(), 9100);
    return K4Ip::Discovered(std::make_shared<K4Ip::DiscoveredImpl>(from, kRadioName, "info", "1234"));
}


struct StatusText {
    SHORT isError = -1;
    std::string text;
    bool isNull = false;
};

class NetworkRigTest : public ::testing::Test {
protected:
    NetworkRigTest() {
        ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1", std::to_string(peer.port()));
        log->openInFolder(logFolder.path());
    }

    // A network rig prepared as the manager prepares it: bound to the radio
    // (unless `bound` is null), then given the log, its number and its slot.
    com::ComPtr<IQbRig> makeRig(K4Ip::Discovered radio, bool* bound, unsigned short slot = 0) {
        HRESULT hr = E_FAIL;
        com::ComObject<CQbRig>* object = com::ComObject<CQbRig>::create(&hr, clock.clock());
        EXPECT_EQ(hr, S_OK);
        if (bound) *bound = object->bind(std::move(radio), slot);
        object->setLog(log);
        object->setInstanceNumber(3);
        object->setSlot(slot);
        return com::ComPtr<IQbRig>::adopt(object);
    }

    void SetUp() override {
        bool bound = false;
        rig = makeRig(loopbackRadio(), &bound);
        ASSERT_TRUE(bound);
        ASSERT_TRUE(peer.accept());
    }

    com::ComPtr<IQbRigDisplayInfo> displayInfo(IQbRig* of) {
        com::ComPtr<IQbRigDisplayInfo> info;
        EXPECT_EQ(of->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())), S_OK);
        return info;
    }

    StatusText status(IQbRig* of) {
        StatusText result;
        BSTR text = reinterpret_cast<BSTR>(1);
        EXPECT_EQ(displayInfo(of)->GetStatusText(&result.isError, &text), S_OK);
        result.isNull = text == nullptr;
        result.text = platform::ansiFromBstr(text);
        SysFreeString(text);
        return result;
    }

    void loseTheLink() {
        peer.closeConnection();
        ASSERT_TRUE(eventually([&] { return check(rig.get()).hr == E_FAIL; }));
    }

    void xmit(int times) {
        for (int i = 0; i < times; ++i) {
            LONG time = 0;
            ASSERT_EQ(rig->Xmit(0, &time), S_OK);
        }
    }

    std::vector<std::string> logLines() {
        rig.reset();
        log.reset();
        return logFolder.entryLines();
    }

    testsupport::TempIniFolder ini;
    LoopbackPeer peer;
    coretest::TempLogFolder logFolder;
    testsupport::TestClock clock;
    std::shared_ptr<LogTrail> log = std::make_shared<LogTrail>(clock.clock());
    com::ComPtr<IQbRig> rig;
};

TEST_F(NetworkRigTest, ConnectedRigShowsNoErrorAndItsRadioName) {
    const StatusText s = status(rig.get());
    EXPECT_EQ(s.isError, 0);
    EXPECT_TRUE(s.isNull);

    BSTR name = nullptr;
    ASSERT_EQ(displayInfo(rig.get())->GetRigName(&name), S_OK);
    EXPECT_EQ(platform::ansiFromBstr(name), kRadioName);
    SysFreeString(name);
}

// The link goes to the address the radio answered from, on its slot's TCP
// port (not the answer's UDP port); only the low 16 bits of the setting count.
TEST_F(NetworkRigTest, BindsToTheAnsweringAddressOnThePortOfItsSlot) {
    LoopbackPeer second;
    LoopbackPeer third;
    ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT2", std::to_string(second.port()));
    ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT3", std::to_string(third.port() + 65536ul));
    bool bound1 = false;
    bool bound2 = false;
    com::ComPtr<IQbRig> slot1 = makeRig(loopbackRadio(), &bound1, 1);
    com::ComPtr<IQbRig> slot2 = makeRig(loopbackRadio(), &bound2, 2);

    EXPECT_TRUE(bound1);
    EXPECT_TRUE(second.accept());
    EXPECT_TRUE(bound2);
    EXPECT_TRUE(third.accept());
    EXPECT_FALSE(peer.accept(100ms)) << "slot 0's radio connected only once";
}

TEST_F(NetworkRigTest, AnswersIUnknownDisplayInfoAndIQbRig) {
    com::ComPtr<IUnknown> unknown;
    ASSERT_EQ(rig->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.receive())), S_OK);
    com::ComPtr<IQbRigDisplayInfo> info = displayInfo(rig.get());
    com::ComPtr<IUnknown> unknownFromInfo;
    ASSERT_EQ(info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknownFromInfo.receive())), S_OK);
    EXPECT_EQ(unknown.get(), unknownFromInfo.get());
    com::ComPtr<IQbRig> back;
    ASSERT_EQ(info->QueryInterface(IID_IQbRig, reinterpret_cast<void**>(back.receive())), S_OK);
    EXPECT_EQ(back.get(), rig.get());

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(rig->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(info->QueryInterface(IID_IQbRigIO, &out), E_NOINTERFACE);
}

TEST_F(NetworkRigTest, PollTravelsOverTheLink) {
    EXPECT_EQ(launch(rig.get()), 10);
    EXPECT_EQ(peer.read(16), "FA;FB;FT;MD;MD$;");
    ASSERT_TRUE(peer.write("FA00007010000;FB00007012500;FT1;MD9;MD$9;"));
    ASSERT_TRUE(eventually([&] {
        EXPECT_EQ(check(rig.get()).hr, S_OK);
        return frequencyOf(rig.get()).mode == 6;
    }));
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_DOUBLE_EQ(f.rcv, 7010.0);
    EXPECT_DOUBLE_EQ(f.xmit, 7012.5);
    EXPECT_EQ(f.split, 1);
}

TEST_F(NetworkRigTest, CommandsTravelInOrder) {
    LONG time = 0;
    rig->Set(14074.0, 14074.0, 2, 0, 0, &time);
    rig->Xmit(1, &time);
    rig->TuneFrequency(10, &time);
    rig->ClearRIT();
    const std::string expected = "FA00014074000;MD2;FT0;KS;TX;UP;RC;";
    EXPECT_EQ(peer.read(expected.size()), expected);
}

TEST_F(NetworkRigTest, LostLinkFailsCheckAndShowsRigNull) {
    ASSERT_TRUE(peer.write("FA00014074000;FA0000"));
    ASSERT_TRUE(eventually([&] {
        check(rig.get());
        return frequencyOf(rig.get()).rcv == 14074.0;
    }));
    loseTheLink();
    const coretest::CheckResult failed = check(rig.get());
    EXPECT_EQ(failed.hr, E_FAIL);
    EXPECT_EQ(failed.time, -1);
    EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);

    const StatusText s = status(rig.get());
    EXPECT_EQ(s.isError, 1);
    EXPECT_EQ(s.text, "Rig NULL");
}

TEST_F(NetworkRigTest, TenthRefusalInARowReconnectsOnce) {
    loseTheLink();
    xmit(9);
    EXPECT_FALSE(peer.accept(kShortWait));
    xmit(1);
    ASSERT_TRUE(peer.accept());
    EXPECT_EQ(status(rig.get()).isError, 0);

    // The count starts again after the reconnect.
    loseTheLink();
    xmit(9);
    EXPECT_FALSE(peer.accept(kShortWait));
    xmit(1);
    EXPECT_TRUE(peer.accept());
}

// Only refusals in a row count: a link that came back (here by binding
// afresh) and took a text starts the count again.
TEST_F(NetworkRigTest, AnAcceptedSendStartsTheRefusalCountAgain) {
    loseTheLink();
    xmit(9);
    ASSERT_TRUE(static_cast<CQbRig*>(rig.get())->bind(loopbackRadio(), 0));
    ASSERT_TRUE(peer.accept());
    xmit(1);
    EXPECT_EQ(peer.read(3), "RX;");
    loseTheLink();
    xmit(9);
    EXPECT_FALSE(peer.accept(kShortWait));
}

// The Set's text was refused, but its confirmation is still awaited (until
// the set times out): the next poll is held back as after any Set.
TEST_F(NetworkRigTest, SetWhileTheLinkIsDownStillCountsForTheGate) {
    loseTheLink();
    LONG time = 0;
    ASSERT_EQ(rig->Set(14074.0, 14074.0, 2, 0, 0, &time), S_OK);
    EXPECT_EQ(launch(rig.get()), -1);
}

// A link lost in the middle of an answer: when the rig renews it, the part
// of that answer is dropped wherever it lies (fetched by the rig, still in
// the client, or split between them), so that it is not joined to the new
// link's first answer ("FA0000703" + "MD1;"); the complete answers before
// it still count.
TEST_F(NetworkRigTest, RenewedLinkDropsTheAnswerTheLostOneLeftUnfinished) {
    struct Case {
        const char* fetched;
        const char* unfetched;
        double vfoA;
    };
    for (const Case& c : {Case{"FA00007010000;FA0000703", "", 7010.0}, Case{"", "FA00007010000;FA0000703", 7010.0},
                          Case{"FA00007010000;FA0000", "7020000;FA00", 7020.0}}) {
        SCOPED_TRACE(std::string(c.fetched) + "|" + c.unfetched);
        bool bound = false;
        com::ComPtr<IQbRig> renewed = makeRig(loopbackRadio(), &bound);
        ASSERT_TRUE(bound);
        ASSERT_TRUE(peer.accept());
        if (*c.fetched) {
            ASSERT_TRUE(peer.write(c.fetched));
            ASSERT_TRUE(eventually([&] {
                check(renewed.get());
                return frequencyOf(renewed.get()).rcv == 7010.0;
            }));
        }
        if (*c.unfetched) {
            ASSERT_TRUE(peer.write(c.unfetched));
        }
        peer.closeConnection();
        ASSERT_TRUE(eventually([&] { return status(renewed.get()).isError == 1; }));

        for (int i = 0; i < 10; ++i) renewed->ClearRIT();
        ASSERT_TRUE(peer.accept());
        ASSERT_TRUE(peer.write("MD1;"));
        EXPECT_TRUE(eventually([&] {
            check(renewed.get());
            return frequencyOf(renewed.get()).mode == 1;
        }));
        EXPECT_DOUBLE_EQ(frequencyOf(renewed.get()).rcv, c.vfoA);
    }
}

// A radio that stops answering but leaves the link open (it lost power or
// its network): once the first poll after its last byte is 6 s old and three
// polls have gone out since, the link is ended as lost, by Check or by the
// Launch that would resend; any byte from the radio starts the count again.
// The rig decides on its own clock.
TEST_F(NetworkRigTest, ASilentRadioLosesItsLink) {
    using coretest::kSecond;
    struct Case {
        const char* what;
        int pollsBefore;      // each followed by its 2 s time-out
        bool answer;          // then the radio sends an answer
        int pollsAfter;       // then more polls, 2 s apart
        platform::Nanos age;  // of the first of them, when the rig looks
        bool byLaunch;        // Launch looks instead of Check
        bool lost;
    };
    for (const Case& c : {Case{"three polls, the first 6 s old", 0, false, 3, 6 * kSecond, false, true},
                          Case{"Launch looks before it resends", 0, false, 3, 6 * kSecond, true, true},
                          Case{"the first poll not quite 6 s old", 0, false, 3, 6 * kSecond - 1, false, false},
                          Case{"two polls and a long silence", 0, false, 2, 60 * kSecond, false, false},
                          Case{"an answer starts the count again", 2, true, 2, 6 * kSecond, false, false},
                          Case{"three polls after the answer", 2, true, 3, 6 * kSecond, false, true}}) {
        SCOPED_TRACE(c.what);
        bool bound = false;
        com::ComPtr<IQbRig> silent = makeRig(loopbackRadio(), &bound);
        ASSERT_TRUE(bound);
        ASSERT_TRUE(peer.accept());
        for (int i = 0; i < c.pollsBefore; ++i) {
            ASSERT_EQ(launch(silent.get()), 10);
            clock.advance(2 * kSecond);
        }
        if (c.answer) {
            ASSERT_TRUE(peer.write("FA00007000000;FB00007000000;FT0;MD2;MD$2;"));
            ASSERT_TRUE(eventually([&] { return check(silent.get()).hr == S_OK && frequencyOf(silent.get()).rcv == 7000; }));
        }
        const platform::Nanos firstPoll = clock.now();
        for (int i = 0; i < c.pollsAfter; ++i) {
            if (i > 0) clock.advance(2 * kSecond);
            ASSERT_EQ(launch(silent.get()), 10);
        }
        clock.set(firstPoll + c.age);
        if (c.byLaunch) launch(silent.get());
        EXPECT_EQ(check(silent.get()).hr, c.lost ? E_FAIL : S_OK);
        EXPECT_EQ(status(silent.get()).isError, c.lost ? 1 : 0);
        if (!c.lost) continue;
        // Ten refused texts in a row renew the link; the Launch's poll was one.
        for (int i = c.byLaunch ? 1 : 0; i < 10; ++i) silent->ClearRIT();
        ASSERT_TRUE(peer.accept());
        clock.advance(2 * kSecond);
        EXPECT_EQ(launch(silent.get()), 10);
        EXPECT_EQ(peer.read(16), "FA;FB;FT;MD;MD$;");
        EXPECT_EQ(check(silent.get()).hr, S_OK);
    }
    const auto lines = logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.substr(10) == "link lost: 3 polls unanswered for 6 s"; }),
              3);
}

// A Set's confirmation that arrived just before its link was lost belongs
// to that link: it is taken in before the new link's first text, so that it
// cannot let the answers the radio queued before a Set on the new link
// through ahead of that Set's own confirmation. Driven by the logger double
// on the rig's clock.
TEST_F(NetworkRigTest, AConfirmationFromTheOldLinkNeverClosesASetOnTheNewOne) {
    using coretest::kMillisecond;
    using coretest::kSecond;
    loggerdouble::ManualTime time(clock.clock(), [this](platform::Nanos t) { clock.set(t); }, kMillisecond);
    loggerdouble::LoggerDouble logger(rig.get(), loggerdouble::kRows[1], time);
    K4Ip::RigClientImpl& client = RigNetworkTestAccess::client(*static_cast<CQbRig*>(rig.get()));

    ASSERT_EQ(logger.set(14074.0, 14074.0, 2, 0), S_OK);
    EXPECT_EQ(peer.read(25), "FA00014074000;MD2;FT0;KS;");
    ASSERT_TRUE(peer.write("KS020;"));
    ASSERT_TRUE(eventually([&] { return client.hasReceived(); }));
    peer.closeConnection();
    ASSERT_TRUE(eventually([&] { return status(rig.get()).isError == 1; }));
    logger.runFor(2500 * kMillisecond);  // the first Set is forgotten; its confirmation waits unread
    ASSERT_FALSE(logger.inRun());

    for (int i = 0; i < 10 && status(rig.get()).isError == 1; ++i) logger.clearRit();
    ASSERT_TRUE(peer.accept());
    // No Check comes between the renewal and the new link's first poll; the
    // Set goes out right after that poll.
    std::string poll;
    for (int i = 0; i < 400 && poll.size() < 16; ++i) {
        logger.runFor(5 * kMillisecond);
        poll += peer.read(16 - poll.size(), std::chrono::milliseconds(1));
    }
    ASSERT_EQ(poll, "FA;FB;FT;MD;MD$;");
    ASSERT_TRUE(logger.inRun());
    ASSERT_EQ(logger.set(21000.0, 21000.0, 2, 0), S_OK);
    EXPECT_EQ(peer.read(25), "FA00021000000;MD2;FT0;KS;");
    ASSERT_TRUE(peer.write("FA00003500000;FB00003500000;FT0;MD1;MD$1;KS020;"));
    ASSERT_TRUE(eventually([&] { return client.hasReceived(); }));
    logger.runFor(300 * kMillisecond);
    ASSERT_TRUE(logger.lastShown());
    EXPECT_DOUBLE_EQ(logger.lastShown()->rcvKHz, 21000.0) << "the answers queued before the Set were applied";
    EXPECT_EQ(logger.lastShown()->mode, 2);
}

// An exception that ended the link's connection is logged by the rig when
// it next looks at the link.
TEST_F(NetworkRigTest, AnExceptionThatEndedTheLinkIsLogged) {
    using coretest::kSecond;
    K4Ip::RigClientImpl& client = RigNetworkTestAccess::client(*static_cast<CQbRig*>(rig.get()));
    K4Ip::RigClientTestAccess::setEndingProbe(client, [](K4Ip::RigClientImpl::EndingStep step) {
        if (step == K4Ip::RigClientImpl::EndingStep::RunLoopEnded) throw std::runtime_error("socket trouble");
    });
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(launch(rig.get()), 10);
        clock.advance(2 * kSecond);
    }
    EXPECT_EQ(check(rig.get()).hr, E_FAIL);
    EXPECT_EQ(check(rig.get()).hr, E_FAIL);
    const auto lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "  3     0 link exception \"socket trouble\""), 1);
}

TEST_F(NetworkRigTest, RefusedSendIsStillLogged) {
    loseTheLink();
    LONG time = 0;
    rig->Xmit(1, &time);
    const std::vector<std::string> lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "  3     0 writeCommandString \"TX;\"");
}

TEST_F(NetworkRigTest, PutCommPortIgnoresItsArguments) {
    testsupport::FakeRigIO::Ptr port = testsupport::FakeRigIO::create();
    EXPECT_EQ(rig->PutCommPort(port.get(), 1), S_OK);
    EXPECT_EQ(port->references(), 1u);
    EXPECT_EQ(rig->PutCommPort(nullptr, -1), S_OK);
    EXPECT_EQ(check(rig.get()).hr, S_OK);
    rig->ClearRIT();
    EXPECT_EQ(peer.read(3), "RC;");
    EXPECT_TRUE(port->writes().empty());
}

// The unkey the logger sends just before it lets the rig go still reaches
// a radio that reads (it has just answered); then the link is closed.
TEST_F(NetworkRigTest, ReleasingTheRigWritesItsLastCommandThenClosesTheLink) {
    ASSERT_TRUE(peer.write("FT0;"));
    ASSERT_TRUE(eventually([&] { return check(rig.get()).time == 10; }));
    LONG time = 0;
    ASSERT_EQ(rig->Xmit(0, &time), S_OK);
    rig.reset();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(peer.read(4), "RX;");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

TEST_F(NetworkRigTest, UnboundRigHasNoLinkAndAnEmptyName) {
    com::ComPtr<IQbRig> unbound = makeRig(K4Ip::Discovered(), nullptr);
    const StatusText s = status(unbound.get());
    EXPECT_EQ(s.isError, 1);
    EXPECT_EQ(s.text, "Rig NULL");
    BSTR name = nullptr;
    ASSERT_EQ(displayInfo(unbound.get())->GetRigName(&name), S_OK);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(SysStringLen(name), 0u);
    SysFreeString(name);
    EXPECT_EQ(check(unbound.get()).hr, E_FAIL);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(unbound->ClearRIT(), S_OK);
}

TEST_F(NetworkRigTest, RadioThatRefusesTheConnectionGivesAnUnlinkedRig) {
    ini.set("ELECRAFT_K4_TCP_PORTNUMBER_SLOT1", std::to_string(testsupport::closedPort()));
    bool bound = true;
    com::ComPtr<IQbRig> refused = makeRig(loopbackRadio(), &bound);
    EXPECT_FALSE(bound);
    EXPECT_EQ(status(refused.get()).isError, 1);
    const coretest::CheckResult result = check(refused.get());
    EXPECT_EQ(result.hr, E_FAIL);
    EXPECT_EQ(result.time, -1);
}

}  // namespace

namespace {

TEST_F(NetworkRigTest, BindingAgainEndsTheEarlierLink) {
    HRESULT hr = E_FAIL;
    com::ComObject<CQbRig>* object = com::ComObject<CQbRig>::create(&hr, clock.clock());
    ASSERT_EQ(hr, S_OK);
    const auto owner = com::ComPtr<IQbRig>::adopt(object);
    ASSERT_TRUE(object->bind(loopbackRadio(), 0));
    ASSERT_TRUE(peer.accept());

    ASSERT_TRUE(object->bind(loopbackRadio(), 0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(peer.read(1), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "the first link was closed, not left open";

    ASSERT_TRUE(peer.accept());
    EXPECT_EQ(owner->ClearRIT(), S_OK);
    EXPECT_EQ(peer.read(3), "RC;");
}

}  // namespace
