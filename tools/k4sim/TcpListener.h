// The TCP port of one radio: accepts connections and gives each its own
// Session. It can stop listening (new connections are refused) and start
// again on the same port, and hang up every open connection.
//
// Concurrency: open() runs on the caller's thread before the simulator's
// thread starts; everything else, handlers included, on the simulator's
// thread. Pending accepts hold a shared reference to the listener; the
// sessions are tracked by weak references only.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <memory>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "Radio.h"
#include "Session.h"

namespace k4sim {

class TcpListener : public std::enable_shared_from_this<TcpListener> {
public:
    TcpListener(boost::asio::io_context& io, std::shared_ptr<Radio> radio, boost::asio::ip::tcp::endpoint endpoint);

    // Binds and listens (unless the radio starts refusing); returns the port.
    // Throws boost::system::system_error when the port cannot be had.
    uint16_t open();
    void setListening(bool listening);
    void disconnectAll();
    // Hangs up, refuses connections for `down`, then listens again.
    void reboot(std::chrono::milliseconds down);
    // Sends the bytes to every open connection; returns how many there were.
    std::size_t injectAll(const std::string& bytes);
    void close();

private:
    using TcpSession = Session<boost::asio::ip::tcp::socket>;

    void listen();
    void startAccept();
    void onAccept(const boost::system::error_code& error, boost::asio::ip::tcp::socket socket);
    void retryAccept();

    const std::shared_ptr<Radio> radio_;
    boost::asio::ip::tcp::endpoint endpoint_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer retryTimer_;
    boost::asio::steady_timer rebootTimer_;
    std::vector<std::weak_ptr<TcpSession>> sessions_;
};

}  // namespace k4sim
