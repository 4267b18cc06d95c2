// The list of answering radios: one record per id, ordered by the id's
// unsigned bytes, capped so that the radio chooser can number every entry,
// and every datagram logged.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

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

    std::shared_ptr<DiscoveryImpl> discovery = std::make_shared<DiscoveryImpl>(nullptr);
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

TEST_F(Records, ListsNoMoreRadiosThanTheChooserCanNumber) {
    for (size_t i = 0; i <= K4Ip::kMaxDiscoveredRadios; ++i) answer("k4:n:i:" + std::to_string(100000 + i));
    auto radios = discovery->discovered();
    ASSERT_EQ(radios.size(), K4Ip::kMaxDiscoveredRadios);
    EXPECT_EQ(radios.back().id(), std::to_string(100000 + K4Ip::kMaxDiscoveredRadios - 1));

    answer("k4:renamed:i:100000", endpoint("10.0.0.5"));
    radios = discovery->discovered();
    ASSERT_EQ(radios.size(), K4Ip::kMaxDiscoveredRadios);
    EXPECT_EQ(radios.front().name(), "renamed") << "known radios are still updated at the cap";
}

// The whole line of the text that contains the part, or "".
std::string lineWith(const std::string& text, const std::string& part) {
    const size_t at = text.find(part);
    if (at == std::string::npos) return "";
    const size_t begin = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
    return text.substr(begin, text.find('\n', at) - begin);
}

TEST(RecordsLog, EveryDatagramIsLoggedWithItsSenderAddress) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("qbox-discovery-log-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    {
        auto log = std::make_shared<LogTrail>();
        log->openInFolder(folder.string());
        ASSERT_TRUE(log->isOpen());
        auto discovery = std::make_shared<DiscoveryImpl>(log);
        const std::string good = "k4:alpha:beta:gamma", bad = "hello";
        discovery->onResponse(good.data(), static_cast<unsigned>(good.size()), endpoint("192.168.1.20", 50000));
        discovery->onResponse(bad.data(), static_cast<unsigned>(bad.size()), endpoint("10.0.0.5", 4000));
    }
    std::string text;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(file.path());
        text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove_all(folder);
    EXPECT_EQ(lineWith(text, "Discovery Response 192.168.1.20 \"k4:alpha:beta:gamma\"").substr(0, 3), "  0") << text;
    EXPECT_EQ(lineWith(text, "Discovery Response 10.0.0.5 \"hello\"").substr(0, 3), "  0") << text;
}

TEST(RecordsLog, NoLogTrailOrAClosedOneIsFine) {
    auto closed = std::make_shared<LogTrail>();
    auto discovery = std::make_shared<DiscoveryImpl>(closed);
    const std::string good = "k4:alpha:beta:gamma";
    discovery->onResponse(good.data(), static_cast<unsigned>(good.size()), endpoint("192.168.1.20"));
    EXPECT_EQ(discovery->discovered().size(), 1u);
}

}  // namespace
