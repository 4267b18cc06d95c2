// The destinations of a discovery run: the broadcast address of every local
// IPv4 address, then the remote addresses the user configured, each resolved
// with the discovery port text as service.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/ip/udp.hpp>

#include "discovery/LocalUdpEndpoint.h"
#include "platform/Adapters.h"

namespace K4Ip {

// The remote address setting is read into a 128-byte buffer, so at most this
// many characters of it are used.
constexpr size_t kMaxAddressText = 127;

// Dotted text of the broadcast address of an address and its prefix length:
// (NOT mask) OR address. A prefix length above 32 gives no mask, that is
// 255.255.255.255, and /32 gives the address itself.
std::string broadcastText(const platform::Ipv4Address& address);

// The entries of the remote address text, cut to its first 127 characters.
// Separators are ',' and the classic locale's white space; every separator
// ends a token, so two separators in a row or one at the very start give an
// empty token, while one at the very end adds nothing.
std::vector<std::string> splitAddressList(const std::string& addresses);

// Appends one target per address at the broadcast of its subnet, in the order
// given. A port text that does not resolve throws.
void appendBroadcastTargets(LocalUdpEndpoint& out, const std::vector<platform::Ipv4Address>& addresses,
                            const std::string& port, boost::asio::ip::udp::resolver& resolver);

// The remote entries of the address text: those that are IPv4 addresses in
// dotted form need no lookup (the empty entry is the loopback address); the
// others are names. Both keep the text's order, repeats included.
struct RemoteEntries {
    std::vector<boost::asio::ip::address_v4> addresses;
    std::vector<std::string> names;
};
RemoteEntries sortRemoteEntries(const std::string& addresses);

// The number of the port text (a number or a service name the system knows),
// or nothing when it does not resolve. Needs no name service.
std::optional<unsigned short> portNumber(const std::string& port, boost::asio::ip::udp::resolver& resolver);

// Appends one target per address at the port, in the order given.
void appendAddressTargets(LocalUdpEndpoint& out, const std::vector<boost::asio::ip::address_v4>& addresses,
                          unsigned short port);

// The first IPv4 address of a name, or nothing when it does not resolve. A
// lookup may take as long as the name service does.
using NameLookup = std::function<std::optional<boost::asio::ip::address_v4>(const std::string& name)>;

// The system's resolver.
NameLookup systemNameLookup();

}  // namespace K4Ip
