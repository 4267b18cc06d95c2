// Discovery runs on the real network stack of the test's private namespace:
// the probe reaches a fake radio through the loopback broadcast and the
// remote addresses, its answers are listed, and a new run replaces the old.
// discovered() runs on an injected clock here, except in the end-to-end test;
// names are looked up by a fake name service, on real threads or on threads
// the test runs itself at chosen readings of that clock.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <type_traits>

#include <boost/chrono/process_cpu_clocks.hpp>
#include <gtest/gtest.h>

#include "FakeRadio.h"
#include "core/TempLogFolder.h"
#include "discovery/Discovery.h"
#include "discovery/DiscoveryImpl.h"
#include "discovery/Targets.h"
#include "discovery/UdpSender.h"
#include "log/LogTrail.h"
#include "platform/Adapters.h"
#include "platform/DetachedThread.h"
#include "support/TempIniFolder.h"

namespace {

using discoverytest::FakeRadio;
using K4Ip::DiscoveryImpl;
using platform::Nanos;
namespace ip = boost::asio::ip;

constexpr Nanos kMs = 1'000'000;
constexpr Nanos kNever = -1;
constexpr auto kAnswerLimit = std::chrono::seconds(5);
const char kPortKey[] = "ELECRAFT_K4_PORTNUMBER";
const char kAddressesKey[] = "ELECRAFT_K4_IP_ADDRESSES";

// A clock that moves only when the test or the code under test sleeps. A
// sleep runs the events that fall within it, each at its own reading.
struct FakeTime {
    std::atomic<Nanos> now{1000 * kMs};
    std::vector<Nanos> sleeps;
    // Each sleep moves the clock by this share of what was asked, as a real
    // sleep may end early.
    Nanos percentSlept = 100;
    std::multimap<Nanos, std::function<void()>> events;

    platform::Clock clock() {
        return [this] { return now.load(); };
    }
    DiscoveryImpl::Sleep sleep() {
        return [this](Nanos duration) {
            sleeps.push_back(duration);
            const Nanos woken = now + std::max<Nanos>(1, duration * percentSlept / 100);
            while (!events.empty() && events.begin()->first <= woken) {
                now = std::max(now.load(), events.begin()->first);
                const auto event = std::move(events.begin()->second);
                events.erase(events.begin());
                event();
            }
            now = woken;
        };
    }
};

// A 120-byte answer whose id starts with the prefix.
std::string longAnswer(const std::string& idPrefix) {
    std::string answer = "k4:long:info:" + idPrefix;
    while (answer.size() < 120) answer.push_back(static_cast<char>('a' + answer.size() % 26));
    return answer;
}

// The id that an answer is listed under: its last field, within the first
// 100 bytes.
std::string idOf(const std::string& answer) {
    const std::string seen = answer.substr(0, 100);
    return seen.substr(seen.rfind(':') + 1);
}

// A name service for the remote names: "nowhere.example" does not resolve;
// every other name is the loopback address, and those starting with "slow"
// answer only once released. Lookups may outlive the test, so they share the
// state.
class SlowNames {
public:
    ~SlowNames() { release(); }

    K4Ip::NameLookup lookup() {
        return [state = state_](const std::string& name) -> std::optional<ip::address_v4> {
            if (name.rfind("slow", 0) == 0) {
                std::unique_lock<std::mutex> lock(state->mutex);
                ++state->waiting;
                state->changed.notify_all();
                state->changed.wait_for(lock, std::chrono::seconds(10), [&] { return state->released; });
                --state->waiting;
            }
            if (name == "nowhere.example") return std::nullopt;
            return ip::address_v4::loopback();
        };
    }
    // True once this many lookups of slow names wait for their answer.
    bool waiting(int count) {
        std::unique_lock<std::mutex> lock(state_->mutex);
        return state_->changed.wait_for(lock, kAnswerLimit, [&] { return state_->waiting >= count; });
    }
    void release() {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->released = true;
        state_->changed.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool released = false;
        int waiting = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Real detached threads, counted from the moment they are asked for until
// their work has returned.
class CountedThreads {
public:
    K4Ip::ThreadStarter starter() {
        return [state = state_](std::function<void()> work) {
            ++state->alive;
            platform::runDetached([state, work = std::move(work)] {
                work();
                std::lock_guard<std::mutex> lock(state->mutex);
                --state->alive;
                state->ended.notify_all();
            });
        };
    }
    int alive() const { return state_->alive; }
    bool allEnded() {
        std::unique_lock<std::mutex> lock(state_->mutex);
        return state_->ended.wait_for(lock, kAnswerLimit, [&] { return state_->alive == 0; });
    }

private:
    struct State {
        std::atomic<int> alive{0};
        std::mutex mutex;
        std::condition_variable ended;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Threads that run only when the test runs them, on the test's thread.
struct ManualThreads {
    std::vector<std::function<void()>> jobs;

    K4Ip::ThreadStarter starter() {
        return [this](std::function<void()> work) { jobs.push_back(std::move(work)); };
    }
};

class DiscoveryProbe : public ::testing::Test {
protected:
    void SetUp() override {
        if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "discovery broadcasts: run inside a private network namespace";
        ini.set(kPortKey, std::to_string(radio.port()));
        ini.erase(kAddressesKey);
    }
    void TearDown() override {
        if (discovery) discovery->stop();
        ini.erase(kPortKey);
        ini.erase(kAddressesKey);
    }

    // A discovery whose lookups run when the test runs manual.jobs[i].
    void useManualThreads() {
        discovery->stop();
        discovery = std::make_shared<DiscoveryImpl>(nullptr, time.clock(), time.sleep(), names.lookup(),
                                                    manual.starter());
    }
    // Runs lookup job `index` when the fake clock reaches the reading.
    void runJobAt(size_t index, Nanos reading) {
        time.events.emplace(reading, [this, index] { manual.jobs.at(index)(); });
    }

    size_t adapterCount() const { return platform::localIpv4Addresses().size(); }

    // Probes that reach the radio, until none comes for a short while.
    std::vector<discoverytest::Datagram> probes(size_t expected) {
        std::vector<discoverytest::Datagram> received;
        while (received.size() < expected) {
            auto datagram = radio.receive();
            if (!datagram) break;
            received.push_back(*datagram);
        }
        if (auto extra = radio.receive(std::chrono::milliseconds(200))) received.push_back(*extra);
        return received;
    }

    // The first probe of a run, after all of its probes (one per local
    // address) have arrived, so that none is left for the next run.
    std::optional<discoverytest::Datagram> probeOfRun() {
        std::optional<discoverytest::Datagram> first;
        for (size_t i = 0; i < adapterCount(); ++i) {
            auto probe = radio.receive();
            if (!probe) return std::nullopt;
            if (!first) first = probe;
        }
        return first;
    }

    // The list once it holds count radios; the answers travel on the run's
    // thread, so this polls within a time limit.
    std::vector<K4Ip::Discovered> radiosOnceListed(size_t count) {
        const auto limit = std::chrono::steady_clock::now() + kAnswerLimit;
        auto radios = discovery->discovered();
        while (radios.size() < count && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            radios = discovery->discovered();
        }
        return radios;
    }

    testsupport::TempIniFolder ini;
    FakeRadio radio;
    FakeTime time;
    SlowNames names;
    CountedThreads threads;
    ManualThreads manual;
    std::shared_ptr<DiscoveryImpl> discovery =
        std::make_shared<DiscoveryImpl>(nullptr, time.clock(), time.sleep(), names.lookup(), threads.starter());
};

// 10.9.9.9 has no route in the test's namespace: the remote address after
// it is probed all the same.
TEST_F(DiscoveryProbe, SendsFindk4OnceToEveryBroadcastAndRemoteAddress) {
    ini.set(kAddressesKey, "10.9.9.9 127.0.0.1");
    ASSERT_TRUE(discovery->start());
    const auto received = probes(adapterCount() + 1);
    ASSERT_EQ(received.size(), adapterCount() + 1);
    for (const auto& probe : received) {
        EXPECT_EQ(probe.bytes, "findk4");
        EXPECT_EQ(probe.from.port(), received[0].from.port()) << "one socket per run";
    }
}

// Names are looked up off the caller's thread, each on its own: a name that
// hangs holds up neither the start nor the broadcasts, the numeric address or
// the names after it, including one after a name that does not resolve; the
// radio behind the slow name is listed once the name is answered.
TEST_F(DiscoveryProbe, EachNameIsProbedAsSoonAsItResolves) {
    ini.set(kAddressesKey, "slow.example nowhere.example fast.example 127.0.0.1");
    ASSERT_TRUE(discovery->start());
    ASSERT_TRUE(names.waiting(1)) << "start waited for the name service";
    EXPECT_EQ(probes(adapterCount() + 2).size(), adapterCount() + 2) << "broadcasts, 127.0.0.1 and fast.example";
    EXPECT_TRUE(discovery->discovered().empty());
    names.release();
    const auto late = probes(1);
    ASSERT_EQ(late.size(), 1u) << "slow.example, once it resolves";
    radio.answer(late[0].from, "k4:slow:info:SLOW");
    EXPECT_EQ(radiosOnceListed(1).size(), 1u);
}

// A name service that never answers and a logger that refreshes the chooser:
// one lookup per name is under way, however many runs list it.
TEST_F(DiscoveryProbe, LookupThreadsNeverOutnumberTheNames) {
    ini.set(kPortKey, "9");
    ini.set(kAddressesKey, "slow.example slow2.example 127.0.0.1 slow.example");
    for (int refresh = 0; refresh < 100; ++refresh) ASSERT_TRUE(discovery->start());
    EXPECT_EQ(threads.alive(), 2) << "lookup threads alive after 100 refreshes";
    EXPECT_TRUE(names.waiting(2));
    names.release();
    EXPECT_TRUE(threads.allEnded());
}

// A lookup under way when a run starts is that run's own: it holds up
// discovered() and is probed at the port of the run that is current when it
// ends, as long as that run's list still holds the name.
TEST_F(DiscoveryProbe, AnEndedLookupIsProbedByTheCurrentRunAtItsPort) {
    useManualThreads();
    ini.set(kPortKey, "9");
    ini.set(kAddressesKey, "a.example");
    ASSERT_TRUE(discovery->start());
    ini.set(kPortKey, std::to_string(radio.port()));
    ini.set(kAddressesKey, "b.example a.example");
    ASSERT_TRUE(discovery->start());
    ASSERT_EQ(manual.jobs.size(), 2u) << "a.example was still being looked up";
    ASSERT_TRUE(probeOfRun());
    const Nanos started = time.now;
    runJobAt(1, started + 100 * kMs);
    runJobAt(0, started + 700 * kMs);
    discovery->discovered();
    EXPECT_EQ(time.now, started + 1200 * kMs);
    EXPECT_EQ(probes(2).size(), 2u) << "both names, at the radio's port";

    ASSERT_TRUE(discovery->start());
    ASSERT_TRUE(probeOfRun());
    ini.erase(kAddressesKey);
    ASSERT_TRUE(discovery->start());
    ASSERT_TRUE(probeOfRun());
    ASSERT_EQ(manual.jobs.size(), 4u);
    manual.jobs[2]();
    EXPECT_FALSE(radio.receive(std::chrono::milliseconds(200))) << "a name the list no longer holds";
}

// discovered() returns 500 ms after the later of the start and the end of
// the run's last lookup, where a lookup still under way 1 s after the start
// counts as ended then.
TEST_F(DiscoveryProbe, DiscoveredWaitsForTheRunsLookupsUpToASecond) {
    struct Case {
        const char* addresses;
        std::vector<Nanos> lookupEnds;  // ms after the start, one per lookup
        Nanos returnsAfter;             // ms
    };
    const Case cases[] = {
        {"127.0.0.1", {}, 500},
        {"a.example", {300}, 800},
        {"a.example a.example", {300}, 800},
        {"a.example b.example", {300, 700}, 1200},
        {"nowhere.example 127.0.0.1", {200}, 700},
        {"a.example", {kNever}, 1500},
        {"a.example", {1200}, 1500},
    };
    for (const auto& c : cases) {
        manual.jobs.clear();
        useManualThreads();
        ini.set(kAddressesKey, c.addresses);
        ASSERT_TRUE(discovery->start());
        ASSERT_EQ(manual.jobs.size(), c.lookupEnds.size()) << c.addresses;
        const Nanos started = time.now;
        for (size_t i = 0; i < c.lookupEnds.size(); ++i)
            if (c.lookupEnds[i] != kNever) runJobAt(i, started + c.lookupEnds[i] * kMs);
        discovery->discovered();
        EXPECT_EQ((time.now - started) / kMs, c.returnsAfter) << c.addresses;
        time.events.clear();
    }
}

// No thread for a lookup: the start stands, the name is skipped and logged,
// and discovered() waits the usual 500 ms.
TEST_F(DiscoveryProbe, ANameWithoutAThreadIsSkippedAndLogged) {
    coretest::TempLogFolder folder;
    auto log = std::make_shared<LogTrail>();
    log->openInFolder(folder.path());
    discovery = std::make_shared<DiscoveryImpl>(log, time.clock(), time.sleep(), names.lookup(),
                                                [](std::function<void()>) {
                                                    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
                                                });
    ini.set(kAddressesKey, "a.example 127.0.0.1");
    ASSERT_TRUE(discovery->start());
    EXPECT_EQ(probes(adapterCount() + 1).size(), adapterCount() + 1) << "the broadcasts and 127.0.0.1";
    const Nanos started = time.now;
    discovery->discovered();
    EXPECT_EQ(time.now, started + 500 * kMs);
    discovery->stop();
    discovery.reset();
    log.reset();
    const auto lines = folder.entryLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(10), "Discovery Lookup not started (no thread), name not probed \"a.example\"");
}

TEST_F(DiscoveryProbe, ListsAnswersFromTheFirstProbeOn) {
    ASSERT_TRUE(discovery->start());
    const auto probe = probeOfRun();
    ASSERT_TRUE(probe);
    radio.answer(probe->from, "k4:Shack K4:info:K4-77");
    radio.answer(probe->from, "k4:0:127.0.0.1:01234");
    const auto radios = radiosOnceListed(2);
    ASSERT_EQ(radios.size(), 2u);
    EXPECT_EQ(radios[0].id(), "01234");
    EXPECT_EQ(radios[0].name(), "0");
    EXPECT_EQ(radios[1].id(), "K4-77");
    EXPECT_EQ(radios[1].name(), "Shack K4");
    EXPECT_EQ(radios[1].from(), ip::udp::endpoint(ip::make_address_v4("127.0.0.1"), radio.port()));
}

// A long answer is taken as its first 100 bytes, before or right after a
// short one; in the second order the long datagram is already waiting when
// the receive is armed again.
TEST_F(DiscoveryProbe, ALongAnswerIsTakenAsItsFirst100BytesInEitherOrder) {
    const std::vector<std::vector<std::string>> orders = {{longAnswer("A-"), "k4:short:info:B-short"},
                                                          {"k4:short:info:A-short", longAnswer("B-")}};
    for (const auto& answers : orders) {
        ASSERT_TRUE(discovery->start());
        const auto probe = probeOfRun();
        ASSERT_TRUE(probe);
        for (const auto& answer : answers) radio.answer(probe->from, answer);
        const auto radios = radiosOnceListed(2);
        ASSERT_EQ(radios.size(), 2u) << "receiving goes on after a long datagram";
        EXPECT_EQ(radios[0].id(), idOf(answers[0]));
        EXPECT_EQ(radios[1].id(), idOf(answers[1]));
    }
}

// About 20 answers to one probe, long and short mixed, are all listed soon:
// each completed receive is armed again at once, not at the next 50 ms slice.
TEST_F(DiscoveryProbe, ABurstOfMixedAnswersIsListedWholeAndSoon) {
    constexpr size_t kBurst = 20;
    ASSERT_TRUE(discovery->start());
    const auto probe = probeOfRun();
    ASSERT_TRUE(probe);
    std::set<std::string> expected;
    for (size_t i = 0; i < kBurst; ++i) {
        const std::string prefix = std::to_string(10 + i) + "-";
        const std::string answer = i % 2 ? longAnswer(prefix) : "k4:short:info:" + prefix + "short";
        radio.answer(probe->from, answer);
        expected.insert(idOf(answer));
    }
    const auto sent = std::chrono::steady_clock::now();
    const auto radios = radiosOnceListed(kBurst);
    const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
    std::set<std::string> listed;
    for (const auto& radio : radios) listed.insert(radio.id());
    EXPECT_EQ(listed, expected);
    EXPECT_LT(tookMs.count(), 200);
}

TEST_F(DiscoveryProbe, StartForgetsTheRadiosAtOnceAndEndsTheOldRun) {
    ASSERT_TRUE(discovery->start());
    const auto first = probeOfRun();
    ASSERT_TRUE(first);
    radio.answer(first->from, "k4:old:info:OLD");
    ASSERT_EQ(radiosOnceListed(1).size(), 1u);

    ASSERT_TRUE(discovery->start());
    EXPECT_TRUE(discovery->discovered().empty());
    const auto second = probeOfRun();
    ASSERT_TRUE(second);
    ASSERT_NE(second->from.port(), first->from.port());
    radio.answer(first->from, "k4:late:info:LATE");  // to the old run's closed socket
    radio.answer(second->from, "k4:new:info:NEW");
    const auto radios = radiosOnceListed(1);
    ASSERT_EQ(radios.size(), 1u);
    EXPECT_EQ(radios[0].id(), "NEW");
}

// Once a radio is listed, the old run's thread holds its next answer (inside
// its log write, before the record is stored) while start ends that run, and
// lets it go as soon as the list has been emptied, or after 500 ms if the list
// is not emptied before the old run has ended. Either way the answer must not
// reach the new list: the old run must end before the list is emptied.
TEST_F(DiscoveryProbe, AnAnswerTheOldRunHoldsDuringStartIsNotListed) {
    coretest::TempLogFolder folder;
    std::mutex gateMutex;
    std::condition_variable gateChanged;
    bool armed = false, held = false, open = false;
    const auto testThread = std::this_thread::get_id();
    auto log = std::make_shared<LogTrail>([&] {
        std::unique_lock<std::mutex> lock(gateMutex);
        if (std::this_thread::get_id() != testThread && armed && !held) {
            held = true;
            gateChanged.notify_all();
            gateChanged.wait(lock, [&] { return open; });
        }
        return Nanos{0};
    });
    log->openInFolder(folder.path());
    discovery = std::make_shared<DiscoveryImpl>(log, time.clock(), time.sleep(), names.lookup());
    ASSERT_TRUE(discovery->start());
    const auto probe = probeOfRun();
    ASSERT_TRUE(probe);
    time.now += 10'000 * kMs;
    radio.answer(probe->from, "k4:first:info:FIRST");
    ASSERT_EQ(radiosOnceListed(1).size(), 1u);
    {
        std::unique_lock<std::mutex> lock(gateMutex);
        armed = true;
    }
    radio.answer(probe->from, "k4:old:info:OLD");
    {
        std::unique_lock<std::mutex> lock(gateMutex);
        ASSERT_TRUE(gateChanged.wait_for(lock, kAnswerLimit, [&] { return held; }));
    }
    std::thread opener([&] {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (!discovery->discovered().empty() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> lock(gateMutex);
        open = true;
        gateChanged.notify_all();
    });
    const bool restarted = discovery->start();
    opener.join();
    ASSERT_TRUE(restarted);
    EXPECT_TRUE(discovery->discovered().empty());
}

TEST_F(DiscoveryProbe, APortTextThatDoesNotResolveFailsTheStart) {
    ASSERT_TRUE(discovery->start());
    const auto probe = probeOfRun();
    ASSERT_TRUE(probe);
    radio.answer(probe->from, "k4:old:info:OLD");
    ASSERT_EQ(radiosOnceListed(1).size(), 1u);

    ini.set(kPortKey, "no-such-k4-service");
    EXPECT_FALSE(discovery->start());
    EXPECT_TRUE(discovery->discovered().empty());
    radio.answer(probe->from, "k4:late:info:LATE");
    EXPECT_FALSE(radio.receive(std::chrono::milliseconds(200))) << "no probe";
    EXPECT_TRUE(discovery->discovered().empty());
}

TEST_F(DiscoveryProbe, DiscoveredWaitsUntil500MsAfterTheStart) {
    EXPECT_TRUE(discovery->discovered().empty());
    EXPECT_TRUE(time.sleeps.empty()) << "no wait before the first start";

    ASSERT_TRUE(discovery->start());
    const Nanos started = time.now;
    time.now += 200 * kMs;
    time.percentSlept = 50;
    discovery->discovered();
    EXPECT_GE(time.now, started + 500 * kMs);
    ASSERT_FALSE(time.sleeps.empty());
    EXPECT_EQ(time.sleeps.front(), 300 * kMs);

    time.sleeps.clear();
    time.now = started + 499 * kMs;
    discovery->discovered();
    EXPECT_EQ(time.sleeps.front(), 1 * kMs) << "a second call within the settle time waits too";
}

TEST_F(DiscoveryProbe, DiscoveredReturnsAtOnceLaterWithTheNewAnswers) {
    ASSERT_TRUE(discovery->start());
    const auto probe = probeOfRun();
    ASSERT_TRUE(probe);
    time.now += 10'000 * kMs;
    EXPECT_TRUE(discovery->discovered().empty());
    radio.answer(probe->from, "k4:late:info:LATE");
    EXPECT_EQ(radiosOnceListed(1).size(), 1u);
    EXPECT_TRUE(time.sleeps.empty());
}

TEST_F(DiscoveryProbe, AFailedStartKeepsTheSettleTimeOfTheLastGoodOne) {
    ASSERT_TRUE(discovery->start());
    time.now += 600 * kMs;
    ini.set(kPortKey, "no-such-k4-service");
    EXPECT_FALSE(discovery->start());
    discovery->discovered();
    EXPECT_TRUE(time.sleeps.empty());
}

// A run without any target never sends, so its socket would get no port from
// a send; its receive must still wait instead of failing and being restarted
// over and over. A spinning thread would use about as much processor time as
// passes on the wall clock.
TEST(UdpSenderIdle, ARunWithoutTargetsWaitsWithoutSpinning) {
    if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "opens sockets: run inside a private network namespace";
    using Cpu = boost::chrono::process_cpu_clock;
    auto sender = std::make_shared<K4Ip::UdpSender>();
    int datagrams = 0;
    sender->start([&](const char*, unsigned, const ip::udp::endpoint&) { ++datagrams; });
    sender->send(std::make_shared<std::vector<char>>(6, 'x'), K4Ip::LocalUdpEndpoint());

    const auto cpuBefore = Cpu::now();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const auto cpu = Cpu::now() - cpuBefore;
    const auto wall = std::chrono::steady_clock::now() - wallBefore;
    sender->stop();

    static_assert(std::is_same<Cpu::period, boost::nano>::value, "nanosecond readings");
    const std::chrono::nanoseconds busy(cpu.count().user + cpu.count().system);
    EXPECT_LT(busy * 4, wall) << "processor time " << busy.count() / 1000000 << " ms";
    EXPECT_EQ(datagrams, 0);
}

// 10.9.9.9 has no route in the test's namespace: its send fails at once, and
// the pass goes on with the next target.
TEST(UdpSenderSend, APassGoesOnPastATargetWithoutARoute) {
    if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "opens sockets: run inside a private network namespace";
    FakeRadio radio;
    K4Ip::LocalUdpEndpoint targets;
    for (const char* address : {"10.9.9.9", "127.0.0.1"})
        targets.append(K4Ip::UdpTarget(ip::udp::endpoint(ip::make_address_v4(address), radio.port()), address, ""));
    auto sender = std::make_shared<K4Ip::UdpSender>();
    sender->start(nullptr);
    ASSERT_TRUE(sender->send(std::make_shared<std::vector<char>>(6, 'x'), targets));
    EXPECT_TRUE(radio.receive());
    sender->stop();
}

TEST(UdpSenderReceive, DeliversTheFirst100BytesOfADatagramAndNothingOnAnError) {
    using K4Ip::UdpSender;
    EXPECT_EQ(UdpSender::deliveredLength({}, 6), 6u);
    EXPECT_EQ(UdpSender::deliveredLength({}, 100), 100u);
    EXPECT_EQ(UdpSender::deliveredLength({}, 65507), 100u);
    EXPECT_EQ(UdpSender::deliveredLength({}, 0), 0u) << "an empty datagram is still one";
    EXPECT_FALSE(UdpSender::deliveredLength(boost::asio::error::message_size, 100));
    EXPECT_FALSE(UdpSender::deliveredLength(boost::asio::error::connection_refused, 0));
    EXPECT_FALSE(UdpSender::deliveredLength(boost::asio::error::operation_aborted, 0));
}

TEST(DiscoveryHandle, AnEmptyHandleDoesNothing) {
    K4Ip::Discovery empty;
    EXPECT_FALSE(empty.start());
    EXPECT_TRUE(empty.discovered().empty());
    empty.stop();
}

// Real time and a real log trail: the handle as the rig manager uses it.
TEST(DiscoveryEndToEnd, FindsTheRadioAndLogsItsAnswer) {
    if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "discovery broadcasts: run inside a private network namespace";
    testsupport::TempIniFolder ini;
    FakeRadio radio;
    ini.set(kPortKey, std::to_string(radio.port()));
    ini.erase(kAddressesKey);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("qbox-discovery-e2e-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    {
        auto log = std::make_shared<LogTrail>();
        log->openInFolder(folder.string());
        K4Ip::Discovery discovery(log);
        const auto before = std::chrono::steady_clock::now();
        ASSERT_TRUE(discovery.start());
        const auto probe = radio.receive();
        ASSERT_TRUE(probe);
        EXPECT_EQ(probe->bytes, "findk4");
        radio.answer(probe->from, "k4:0:127.0.0.1:01234");
        auto radios = discovery.discovered();
        EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
        for (int i = 0; radios.empty() && i < 500; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            radios = discovery.discovered();
        }
        ASSERT_EQ(radios.size(), 1u);
        EXPECT_EQ(radios[0].id(), "01234");
        discovery.stop();
        discovery = K4Ip::Discovery();
        EXPECT_EQ(log.use_count(), 1) << "after stop nothing keeps the service alive";
    }
    std::string text;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(file.path());
        text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove_all(folder);
    EXPECT_NE(text.find("Discovery Response 127.0.0.1 \"k4:0:127.0.0.1:01234\""), std::string::npos) << text;
}

}  // namespace
