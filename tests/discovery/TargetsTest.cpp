// The probe's destinations: subnet broadcasts of the local addresses, then
// the remote address list in its own order.
#include "discovery/Targets.h"

#include <algorithm>
#include <cstring>

#include <boost/asio/io_context.hpp>
#include <gtest/gtest.h>

#include "FakeRadio.h"

namespace {

using K4Ip::splitAddressList;
using Tokens = std::vector<std::string>;

platform::Ipv4Address ipv4(unsigned char a, unsigned char b, unsigned char c, unsigned char d, uint8_t prefix) {
    const unsigned char bytes[4] = {a, b, c, d};
    platform::Ipv4Address address{};
    std::memcpy(&address.addressNetworkOrder, bytes, 4);
    address.prefixLength = prefix;
    return address;
}

TEST(AddressList, SplitsAtCommasAndWhiteSpace) {
    EXPECT_EQ(splitAddressList("10.0.0.1,10.0.0.2"), (Tokens{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(splitAddressList("10.0.0.1 radio.example"), (Tokens{"10.0.0.1", "radio.example"}));
    EXPECT_EQ(splitAddressList("a\tb\nc\vd\fe\rf"), (Tokens{"a", "b", "c", "d", "e", "f"}));
}

TEST(AddressList, TwoSeparatorsInARowGiveAnEmptyEntry) {
    EXPECT_EQ(splitAddressList("10.0.0.1, 10.0.0.2"), (Tokens{"10.0.0.1", "", "10.0.0.2"}));
    EXPECT_EQ(splitAddressList(",10.0.0.1"), (Tokens{"", "10.0.0.1"}));
    EXPECT_EQ(splitAddressList("10.0.0.1,"), (Tokens{"10.0.0.1"}));
    EXPECT_EQ(splitAddressList("10.0.0.1,,"), (Tokens{"10.0.0.1", ""}));
    EXPECT_EQ(splitAddressList(""), Tokens{});
}

TEST(AddressList, HighBytesAreNeverSeparators) {
    EXPECT_EQ(splitAddressList("ab\xA0\x85yz"), (Tokens{"ab\xA0\x85yz"}));
}

TEST(AddressList, UsesOnlyTheFirst127Characters) {
    const std::string text = std::string(120, 'a') + ",10.0.0.12";
    ASSERT_EQ(text.size(), 130u);
    EXPECT_EQ(splitAddressList(text), (Tokens{std::string(120, 'a'), "10.0.0"}));
}

TEST(Broadcast, SetsEveryHostBitOfTheSubnet) {
    EXPECT_EQ(K4Ip::broadcastText(ipv4(192, 168, 1, 20, 24)), "192.168.1.255");
    EXPECT_EQ(K4Ip::broadcastText(ipv4(127, 0, 0, 1, 8)), "127.255.255.255");
    EXPECT_EQ(K4Ip::broadcastText(ipv4(172, 16, 5, 4, 12)), "172.31.255.255");
    EXPECT_EQ(K4Ip::broadcastText(ipv4(10, 1, 2, 3, 32)), "10.1.2.3");
    EXPECT_EQ(K4Ip::broadcastText(ipv4(10, 1, 2, 3, 0)), "255.255.255.255");
    EXPECT_EQ(K4Ip::broadcastText(ipv4(10, 1, 2, 3, 33)), "255.255.255.255");
}

class Targets : public ::testing::Test {
protected:
    std::vector<std::string> endpoints() const {
        std::vector<std::string> texts;
        if (!out.entries) return texts;
        for (const auto& entry : *out.entries) {
            const auto endpoint = entry.endpoint();
            texts.push_back(endpoint.address().to_string() + ":" + std::to_string(endpoint.port()));
        }
        return texts;
    }

    boost::asio::io_context io;
    boost::asio::ip::udp::resolver resolver{io};
    K4Ip::LocalUdpEndpoint out;
};

TEST_F(Targets, BroadcastsComeOnePerAddressUnmerged) {
    K4Ip::appendBroadcastTargets(out, {ipv4(192, 168, 1, 20, 24), ipv4(192, 168, 1, 21, 24), ipv4(127, 0, 0, 1, 8)},
                                 "9101", resolver);
    EXPECT_EQ(endpoints(), (Tokens{"192.168.1.255:9101", "192.168.1.255:9101", "127.255.255.255:9101"}));
}

TEST_F(Targets, AnUnknownPortTextThrowsFromTheBroadcasts) {
    EXPECT_ANY_THROW(K4Ip::appendBroadcastTargets(out, {ipv4(127, 0, 0, 1, 8)}, "no-such-k4-service", resolver));
}

TEST(SystemNameLookup, GivesTheFirstIpv4EndpointOfAnEntryOrNothing) {
    if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "name lookups only inside a private network namespace";
    const auto lookup = K4Ip::systemNameLookup();
    auto found = [&](const std::string& entry) -> std::string {
        const auto target = lookup(entry, "9100");
        if (!target) return "nothing";
        return target->endpoint().address().to_string() + ":" + std::to_string(target->endpoint().port());
    };
    EXPECT_EQ(found("10.0.0.1"), "10.0.0.1:9100");
    EXPECT_EQ(found(""), "127.0.0.1:9100") << "an empty entry is the loopback address";
    for (const char* entry : {"no-such-radio.invalid", "10.0.0.1:9100", "::1"}) EXPECT_EQ(found(entry), "nothing");
}

TEST(LocalAddresses, ListTheLoopbackAddressWithItsPrefixLength) {
    if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "expects the loopback-only namespace of the tests";
    const auto addresses = platform::localIpv4Addresses();
    const auto loopback = ipv4(127, 0, 0, 1, 8);
    const bool listed = std::any_of(addresses.begin(), addresses.end(), [&](const platform::Ipv4Address& address) {
        return address.addressNetworkOrder == loopback.addressNetworkOrder && address.prefixLength == 8;
    });
    EXPECT_TRUE(listed);
}

}  // namespace
