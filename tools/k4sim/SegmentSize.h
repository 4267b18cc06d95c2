// The largest TCP segment a radio's listening socket announces. On
// loopback a segment may be 64 KiB, which lets the other side's send buffer
// grow to megabytes; announcing an Ethernet-sized segment keeps it at the
// tens of kilobytes a real link gives, so that a radio that stops reading
// stalls the other side's writes as soon as it would on the LAN. Set on
// Linux; elsewhere (Windows cannot set it) nothing happens.
#pragma once

#include <boost/asio/ip/tcp.hpp>

namespace k4sim {

inline constexpr int kEthernetSegmentBytes = 1460;

// Before listen; errors are ignored (the link then keeps the system's size).
void limitSegmentSize(boost::asio::ip::tcp::acceptor& acceptor, int bytes);

}  // namespace k4sim
