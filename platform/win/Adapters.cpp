// Local IPv4 addresses from the IP Helper adapter list, in the system's
// adapter order, each with its on-link prefix length.
#include "platform/Adapters.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

namespace platform {
namespace {

constexpr ULONG kBufferStep = 16000;
constexpr int kAttempts = 3;

// The adapter list in a zero-filled buffer grown by 16000 bytes after each
// overflow; empty when the call fails or still overflows after three tries.
std::vector<char> adapterList() {
    std::vector<char> buffer;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        buffer.assign(static_cast<size_t>(kBufferStep) * attempt, 0);
        ULONG size = static_cast<ULONG>(buffer.size());
        const ULONG result = GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX, nullptr,
                                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
        if (result == NO_ERROR) return buffer;
        if (result != ERROR_BUFFER_OVERFLOW) break;
    }
    return {};
}

}  // namespace

std::vector<Ipv4Address> localIpv4Addresses() {
    const std::vector<char> buffer = adapterList();
    std::vector<Ipv4Address> addresses;
    if (buffer.empty()) return addresses;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next) {
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
            addresses.push_back({ipv4->sin_addr.s_addr, unicast->OnLinkPrefixLength});
        }
    }
    return addresses;
}

}  // namespace platform
