// The list of answering radios: one record per id, ordered by the id's
// unsigned bytes, capped so that the radio chooser can number every entry,
// and every datagram logged, with the reason when it is not listed, a move
// when a listed id answers from another address, and no more than 200
// entries per run for answers that are ignored or repeat a listed id.
#include <gtest/gtest.h>

#include "core/TempLogFolder.h"
#include "discovery/DiscoveryImpl.h"
#include "log/LogTrail.h"

namespace {

namespace ip = boost::asio::ip;
using K4Ip::DiscoveryImpl;

ip::udp::endpoint endpoint(const char* address, unsigned short port = 9100) {
    return ip::udp::endpoint(ip::make_address_v4(address), port);
}

class Records : public ::testing::Test {
protected:
    void answer(const std::string& text, const ip::udp::endpoint& from = endpoint("192.168.1.20")) {
        discovery->onResponse(text.data(), static_cast<unsigned>(text.size()), from);
    }
    std::vector<std::string> ids() {
        std::vector<std::string> result;
        for (const auto& radio : discovery->discovered()) result.push_back(radio.id());
        return result;
    }

    // Closed unless a test opens it.
    std::shared_ptr<LogTrail> log = std::make_shared<LogTrail>();
    std::shared_ptr<DiscoveryImpl> discovery = std::make_shared<DiscoveryImpl>(log);
};

TEST_F(Records, KeepsNameAddressAndIdOfAnAnswer) {
    answer("k4:alpha:beta:gamma", endpoint("192.168.1.20", 50000));
    const auto radios = discovery->discovered();
    ASSERT_EQ(radios.size(), 1u);
    EXPECT_EQ(radios[0].name(), "alpha");
    EXPECT_EQ(radios[0].id(), "gamma");
    EXPECT_EQ(radios[0].from(), endpoint("192.168.1.20", 50000));
}

TEST_F(Records, ALaterAnswerWithTheSameIdReplacesTheRecordWhole) {
    answer("k4:alpha:beta:gamma", endpoint("192.168.1.20"));
    const auto before = discovery->discovered();
    answer("k4:omega:beta:gamma", endpoint("10.0.0.5"));
    const auto after = discovery->discovered();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].name(), "omega");
    EXPECT_EQ(after[0].from().address().to_string(), "10.0.0.5");
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].name(), "alpha") << "records handed out keep their contents";
}

TEST_F(Records, AnIdWithCrLfIsAnotherRadio) {
    answer("k4:alpha:beta:gamma");
    answer("k4:alpha:beta:gamma\r\n");
    EXPECT_EQ(ids(), (std::vector<std::string>{"gamma", "gamma\r\n"}));
}

TEST_F(Records, ListsIdsInAscendingUnsignedByteOrder) {
    for (const char* id : {"beta", "\xE4nne", "z", "alpha", "Zulu", "al", "0815"})
        answer(std::string("k4:n:i:") + id);
    EXPECT_EQ(ids(), (std::vector<std::string>{"0815", "Zulu", "al", "alpha", "beta", "z", "\xE4nne"}));
}

// Lines of the log without their header, once the trail has closed.
std::vector<std::string> entries(const coretest::TempLogFolder& folder) {
    std::vector<std::string> result;
    for (const auto& line : folder.entryLines()) {
        EXPECT_EQ(line.substr(0, 3), "  0") << "discovery writes as id 0";
        result.push_back(line.substr(10));
    }
    return result;
}

TEST_F(Records, ListsNoMoreRadiosThanTheChooserCanNumber) {
    for (size_t i = 0; i <= K4Ip::kMaxDiscoveredRadios; ++i) answer("k4:n:i:" + std::to_string(100000 + i));
    auto radios = discovery->discovered();
    ASSERT_EQ(radios.size(), K4Ip::kMaxDiscoveredRadios);
    EXPECT_EQ(radios.back().id(), std::to_string(100000 + K4Ip::kMaxDiscoveredRadios - 1));

    coretest::TempLogFolder folder;
    log->openInFolder(folder.path());
    answer("k4:renamed:i:100000", endpoint("10.0.0.5"));
    answer("k4:new:i:999999", endpoint("10.0.0.5"));
    radios = discovery->discovered();
    ASSERT_EQ(radios.size(), K4Ip::kMaxDiscoveredRadios);
    EXPECT_EQ(radios.front().name(), "renamed") << "known radios are still updated at the cap";
    discovery.reset();
    log.reset();
    EXPECT_EQ(entries(folder), (std::vector<std::string>{
                                   "Discovery Response 10.0.0.5 \"k4:renamed:i:100000\"",
                                   "Discovery id \"100000\" moved from 192.168.1.20 to 10.0.0.5",
                                   "Discovery Response 10.0.0.5 ignored (list full) \"k4:new:i:999999\""}));
}

TEST_F(Records, EveryDatagramIsLoggedWithItsSenderAndWhyItIsIgnored) {
    coretest::TempLogFolder folder;
    log->openInFolder(folder.path());
    const std::pair<std::string, std::string> cases[] = {
        {"k4:alpha:beta:gamma", "\"k4:alpha:beta:gamma\""},
        {"hello", "ignored (too few fields) \"hello\""},
        {"K4:alpha:beta:gamma", "ignored (wrong tag) \"K4:alpha:beta:gamma\""},
        {"k4:a:b:c:d", "ignored (too many fields) \"k4:a:b:c:d\""},
        {"k4::beta:gamma", "ignored (no name) \"k4::beta:gamma\""},
        {"k4:alpha:beta:", "ignored (no id) \"k4:alpha:beta:\""},
    };
    std::vector<std::string> expected;
    for (const auto& [datagram, logged] : cases) {
        answer(datagram, endpoint("10.0.0.5", 4000));
        expected.push_back("Discovery Response 10.0.0.5 " + logged);
    }
    EXPECT_EQ(ids(), std::vector<std::string>{"gamma"});
    discovery.reset();
    log.reset();
    EXPECT_EQ(entries(folder), expected);
}

// Only the address counts: the link connects to it, not to the answer's port.
TEST_F(Records, AListedIdAnsweringFromAnotherAddressIsLoggedAsMoved) {
    coretest::TempLogFolder folder;
    log->openInFolder(folder.path());
    const std::string odd = "q\"\\\x7f\r";
    const std::pair<std::string, ip::udp::endpoint> answers[] = {
        {"k4:a:i:K4A", endpoint("10.0.0.1")},        {"k4:a:i:K4A", endpoint("10.0.0.1", 9200)},
        {"k4:b:i:K4A", endpoint("10.0.0.7")},        {"k4:c:i:" + odd, endpoint("10.0.0.1")},
        {"k4:c:i:" + odd, endpoint("10.0.0.2")},
    };
    for (const auto& [text, from] : answers) answer(text, from);
    discovery.reset();
    log.reset();
    const auto logged = entries(folder);
    ASSERT_EQ(logged.size(), 7u);
    EXPECT_EQ(logged[1], "Discovery Response 10.0.0.1 \"k4:a:i:K4A\"");
    EXPECT_EQ(logged[3], "Discovery id \"K4A\" moved from 10.0.0.1 to 10.0.0.7");
    EXPECT_EQ(logged[6], "Discovery id \"q\\x22\\x5c\\x7f\\x0d\" moved from 10.0.0.1 to 10.0.0.2");
}

// However many answers a device sends, a run writes at most 200 entries for
// answers that are ignored or repeat a listed id (a move writes two); the
// first answer of every radio is always written, and the end of the run says
// how many answers were left out.
TEST_F(Records, ARunLogsAtMost200EntriesOfIgnoredAndRepeatedAnswers) {
    coretest::TempLogFolder folder;
    log->openInFolder(folder.path());
    answer("k4:a:i:A", endpoint("10.0.0.1"));
    for (int i = 0; i < 199; ++i) answer("hello", endpoint("10.0.0.1"));
    answer("k4:a:i:A", endpoint("10.0.0.2"));
    answer("hello", endpoint("10.0.0.1"));
    answer("k4:b:i:B", endpoint("10.0.0.1"));
    EXPECT_EQ(discovery->discovered().front().from().address().to_string(), "10.0.0.2")
        << "an answer left out of the log still counts";
    discovery->stop();
    answer("k4:a:i:A", endpoint("10.0.0.3"));
    discovery.reset();
    log.reset();
    const auto logged = entries(folder);
    ASSERT_EQ(logged.size(), 204u);
    EXPECT_EQ(logged[0], "Discovery Response 10.0.0.1 \"k4:a:i:A\"");
    EXPECT_EQ(logged[199], "Discovery Response 10.0.0.1 ignored (too few fields) \"hello\"");
    EXPECT_EQ(logged[200], "Discovery Response 10.0.0.1 \"k4:b:i:B\"");
    EXPECT_EQ(logged[201], "Discovery left 2 answers out of the log: ignored or repeating a listed id, past 200 "
                           "entries in this run");
    EXPECT_EQ(logged[202], "Discovery Response 10.0.0.3 \"k4:a:i:A\"") << "a new run";
    EXPECT_EQ(logged[203], "Discovery id \"A\" moved from 10.0.0.2 to 10.0.0.3");
}

TEST_F(Records, NoLogTrailOrAClosedOneIsFine) {
    answer("k4:alpha:beta:gamma");
    auto unlogged = std::make_shared<DiscoveryImpl>(nullptr);
    const std::string good = "k4:alpha:beta:gamma";
    unlogged->onResponse(good.data(), static_cast<unsigned>(good.size()), endpoint("192.168.1.20"));
    EXPECT_EQ(discovery->discovered().size(), 1u);
    EXPECT_EQ(unlogged->discovered().size(), 1u);
}

}  // namespace
