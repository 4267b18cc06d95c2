// The local IPv4 unicast addresses with their on-link prefix lengths, in the
// system's adapter order. Windows asks the IP Helper adapter list, Linux
// getifaddrs. Nothing is filtered: loopback and adapters that are down but
// still carry an address are listed too.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

struct Ipv4Address {
    uint32_t addressNetworkOrder;  // as stored in the socket address
    uint8_t prefixLength;
};

// An empty list when the system cannot enumerate its adapters.
std::vector<Ipv4Address> localIpv4Addresses();

}  // namespace platform
