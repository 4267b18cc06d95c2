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

TEST_F(Targets, NumericAddressesTakeThePortNumberOfThePortText) {
    ASSERT_EQ(K4Ip::portNumber("9101", resolver), 9101);
    EXPECT_FALSE(K4Ip::portNumber("no-such-k4-service", resolver));
    K4Ip::appendAddressTargets(out, K4Ip::sortRemoteEntries("10.0.0.5,,192.168.2.50").addresses, 9101);
    EXPECT_EQ(endpoints(), (Tokens{"10.0.0.5:9101", "127.0.0.1:9101", "192.168.2.50:9101"}));
}

// Only a dotted IPv4 address skips the lookup; the empty entry stands for the
// loopback address. The rest, in the text's order, are names.
TEST(RemoteEntries, DottedAddressesNeedNoLookup) {
    const auto sorted = K4Ip::sortRemoteEntries("k4.example.net,10.0.0.5, 4X 192.168.2.50 ::1 10.0.0.5");
    std::vector<std::string> addresses;
    for (const auto& address : sorted.addresses) addresses.push_back(address.to_string());
    EXPECT_EQ(addresses, (Tokens{"10.0.0.5", "127.0.0.1", "192.168.2.50", "10.0.0.5"}));
    EXPECT_EQ(sorted.names, (Tokens{"k4.example.net", "4X", "::1"}));
}

TEST(SystemNameLookup, GivesTheFirstIpv4AddressOfANameOrNothing) {
    if (!discoverytest::networkIsPrivate()) GTEST_SKIP() << "name lookups only inside a private network namespace";
    const auto lookup = K4Ip::systemNameLookup();
    auto found = [&](const std::string& name) -> std::string {
        const auto address = lookup(name);
        return address ? address->to_string() : "nothing";
    };
    EXPECT_EQ(found("10.0.0.1"), "10.0.0.1");
    for (const char* name : {"no-such-radio.invalid", "10.0.0.1:9100", "::1"}) EXPECT_EQ(found(name), "nothing");
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
