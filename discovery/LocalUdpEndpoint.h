// A list of UDP destinations and a position in it: the targets of a discovery
// run and the cursor of a send pass over them. Copies share the entry list.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <boost/asio/ip/basic_resolver_entry.hpp>
#include <boost/asio/ip/udp.hpp>

namespace K4Ip {

using UdpTarget = boost::asio::ip::basic_resolver_entry<boost::asio::ip::udp>;

struct LocalUdpEndpoint {
    std::shared_ptr<std::vector<UdpTarget>> entries;  // null: no list
    size_t next = 0;                                  // index of the next entry to send to

    size_t size() const { return entries ? entries->size() : 0; }
    // Appends, creating the list on the first call.
    void append(const UdpTarget& target) {
        if (!entries) entries = std::make_shared<std::vector<UdpTarget>>();
        entries->push_back(target);
    }
};

}  // namespace K4Ip
