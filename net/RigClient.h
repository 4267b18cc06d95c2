// The TCP link between one network rig object and one K4: carries command
// texts to the radio and collects the bytes it sends back, unframed.
//
// K4Ip::RigClient is the value handle the rig object holds; an empty handle
// (not yet bound to a radio) does nothing: isConnected and send return false,
// receive returns an empty buffer. Copies of a handle share one client; when
// the last copy goes, the client is stopped, so that no connection outlives
// every handle. The client proper, K4Ip::RigClientImpl, is in
// net/RigClientImpl.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/ip/address.hpp>

namespace K4Ip {

class RigClientImpl;

class RigClient {
public:
    RigClient() = default;
    // Starts connecting to the radio's address and TCP port and returns once
    // connected, or after one second at most.
    RigClient(const boost::asio::ip::address& address, uint16_t port);

    bool isConnected() const;
    // Every byte received since the previous call, in order; never null.
    std::shared_ptr<std::vector<char>> receive();
    // Bytes have been received that receive has not yet returned.
    bool hasReceived() const;
    // Queues the text for the radio; false (and nothing queued) while the
    // link is down or ending, or its queue is full.
    bool send(const std::string& text);
    // The texts the last connection accepted but did not deliver whole
    // (never handed to its socket, or being written when it was reset),
    // oldest first, once.
    std::vector<std::string> takeUnsent();
    // The text of the exception that ended the last connection, once.
    std::optional<std::string> takeException();
    // Starts a new connection unless connected, waiting up to one second.
    void reconnect();
    // Ends the link as lost and waits for its connection to end; received
    // bytes stay fetchable.
    void abandon();
    // Ends the connection (a healthy link first writes what is queued, for
    // up to 100 ms), joins its thread and drops the received bytes; the
    // texts it did not write are left for takeUnsent.
    void stop();

private:
    friend struct RigClientTestAccess;

    std::shared_ptr<RigClientImpl> impl_;
};

}  // namespace K4Ip
