#include "discovery/Targets.h"

#include <array>
#include <cstring>

#include <boost/asio/io_context.hpp>

namespace K4Ip {
namespace {

namespace ip = boost::asio::ip;

bool isSeparator(char c) {
    switch (c) {
    case ',': case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    default:
        return false;
    }
}

uint32_t maskOf(uint8_t prefixLength) {
    if (prefixLength == 0 || prefixLength > 32) return 0;
    return ~uint32_t{0} << (32 - prefixLength);
}

// Appends the first result of resolving host and port; throws when nothing resolves.
void appendFirst(LocalUdpEndpoint& out, const std::string& host, const std::string& port,
                 ip::udp::resolver& resolver) {
    const auto results = resolver.resolve(ip::udp::v4(), host, port);
    if (results.empty()) return;
    out.append(*results.begin());
}

}  // namespace

std::string broadcastText(const platform::Ipv4Address& address) {
    ip::address_v4::bytes_type bytes;
    std::memcpy(bytes.data(), &address.addressNetworkOrder, bytes.size());
    const uint32_t host = ip::address_v4(bytes).to_uint();
    return ip::address_v4(~maskOf(address.prefixLength) | host).to_string();
}

std::vector<std::string> splitAddressList(const std::string& addresses) {
    const std::string text = addresses.substr(0, kMaxAddressText);
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (isSeparator(c)) {
            tokens.push_back(std::move(token));
            token.clear();
        } else {
            token.push_back(c);
        }
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    return tokens;
}

void appendBroadcastTargets(LocalUdpEndpoint& out, const std::vector<platform::Ipv4Address>& addresses,
                            const std::string& port, ip::udp::resolver& resolver) {
    for (const auto& address : addresses) appendFirst(out, broadcastText(address), port, resolver);
}

RemoteEntries sortRemoteEntries(const std::string& addresses) {
    RemoteEntries sorted;
    for (auto& entry : splitAddressList(addresses)) {
        boost::system::error_code notDotted;
        const auto address = entry.empty() ? ip::address_v4::loopback() : ip::make_address_v4(entry, notDotted);
        if (notDotted)
            sorted.names.push_back(std::move(entry));
        else
            sorted.addresses.push_back(address);
    }
    return sorted;
}

std::optional<unsigned short> portNumber(const std::string& port, ip::udp::resolver& resolver) {
    boost::system::error_code error;
    const auto results = resolver.resolve(ip::udp::v4(), "127.0.0.1", port, ip::resolver_base::numeric_host, error);
    if (error || results.empty()) return std::nullopt;
    return results.begin()->endpoint().port();
}

void appendAddressTargets(LocalUdpEndpoint& out, const std::vector<ip::address_v4>& addresses, unsigned short port) {
    for (const auto& address : addresses)
        out.append(UdpTarget(ip::udp::endpoint(address, port), address.to_string(), std::to_string(port)));
}

NameLookup systemNameLookup() {
    return [](const std::string& name) -> std::optional<ip::address_v4> {
        boost::asio::io_context io;
        ip::udp::resolver resolver(io);
        boost::system::error_code error;
        const auto results = resolver.resolve(ip::udp::v4(), name, "", error);
        if (error || results.empty()) return std::nullopt;
        return results.begin()->endpoint().address().to_v4();
    };
}

}  // namespace K4Ip
