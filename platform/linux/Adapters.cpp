// Local IPv4 addresses from getifaddrs, in the order the kernel lists them.
#include "platform/Adapters.h"

#include <ifaddrs.h>
#include <netinet/in.h>

#include <bitset>
#include <memory>

namespace platform {
namespace {

// Netmasks are contiguous, so the prefix length is the number of set bits;
// an entry without a netmask is taken as a host address.
uint8_t prefixLengthOf(const sockaddr* netmask) {
    if (!netmask || netmask->sa_family != AF_INET) return 32;
    const auto mask = reinterpret_cast<const sockaddr_in*>(netmask)->sin_addr.s_addr;
    return static_cast<uint8_t>(std::bitset<32>(mask).count());
}

}  // namespace

std::vector<Ipv4Address> localIpv4Addresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, &freeifaddrs);

    std::vector<Ipv4Address> addresses;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        const auto address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
        addresses.push_back({address, prefixLengthOf(entry->ifa_netmask)});
    }
    return addresses;
}

}  // namespace platform
