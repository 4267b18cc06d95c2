// The control port: a line-based TCP port through which a test or a soak
// run reads the radios' true state and changes their faults while they
// run. Each request is one line; each gets one answer line (Control.h
// says which requests there are).
//
// Concurrency: open() runs on the caller's thread before the simulator's
// thread starts; every handler and close() on the simulator's thread. Each
// pending operation holds a shared reference to its listener or
// connection; the listener tracks connections by weak references.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace k4sim {

class ControlConnection;

class ControlServer : public std::enable_shared_from_this<ControlServer> {
public:
    using Answer = std::function<std::string(const std::string& request)>;

    ControlServer(boost::asio::io_context& io, boost::asio::ip::tcp::endpoint endpoint, Answer answer);

    // Binds and listens; returns the port. Throws boost::system::system_error.
    uint16_t open();
    void close();

private:
    void startAccept();
    void onAccept(const boost::system::error_code& error, boost::asio::ip::tcp::socket socket);

    boost::asio::ip::tcp::endpoint endpoint_;
    boost::asio::ip::tcp::acceptor acceptor_;
    const Answer answer_;
    std::vector<std::weak_ptr<ControlConnection>> connections_;
};

}  // namespace k4sim
