#include "SimClient.h"

#include <algorithm>
#include <array>

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>
#include <gtest/gtest.h>

namespace simtest {

namespace {

using Clock = std::chrono::steady_clock;
const auto loopback = boost::asio::ip::address_v4::loopback();

// Runs the started operation until it completed or the deadline passed; a
// late operation is cancelled and its completion awaited.
template <class Socket>
void complete(boost::asio::io_context& io, Socket& socket, Clock::time_point deadline, const int& completions) {
    io.restart();
    io.run_until(deadline);
    if (completions == 0) {
        socket.cancel();
        io.restart();
        io.run();
    }
    EXPECT_EQ(completions, 1) << "completion handler ran a wrong number of times";
}

}  // namespace

TcpClient::TcpClient() : socket_(io_) {}

boost::system::error_code TcpClient::connect(uint16_t port, Duration limit) {
    boost::system::error_code result;
    int completions = 0;
    socket_.async_connect({loopback, port}, [&](const boost::system::error_code& error) {
        ++completions;
        result = error;
    });
    complete(io_, socket_, Clock::now() + limit, completions);
    return result;
}

void TcpClient::send(const std::string& bytes) { boost::asio::write(socket_, boost::asio::buffer(bytes)); }

void TcpClient::reset() {
    boost::system::error_code ignored;
    socket_.set_option(boost::asio::socket_base::linger(true, 0), ignored);
    socket_.close(ignored);
}

std::size_t TcpClient::sendUntilStalled(std::size_t most, Duration settle) {
    const std::string block(1024, 'x');
    std::size_t taken = 0;
    socket_.non_blocking(true);
    while (taken < most) {
        boost::system::error_code error;
        taken += socket_.write_some(boost::asio::buffer(block), error);
        if (error != boost::asio::error::would_block) continue;
        bool writable = false;
        int completions = 0;
        socket_.async_wait(boost::asio::ip::tcp::socket::wait_write, [&](const boost::system::error_code& waited) {
            ++completions;
            writable = !waited;
        });
        complete(io_, socket_, Clock::now() + settle, completions);
        if (!writable) break;
    }
    socket_.non_blocking(false);
    return taken;
}

std::string TcpClient::readAnswers(std::size_t count, Duration limit) {
    return readWhile([count](const std::string& got) { return std::count(got.begin(), got.end(), ';') < static_cast<long>(count); },
                     limit);
}

std::string TcpClient::readToEnd(Duration limit) {
    return readWhile([](const std::string&) { return true; }, limit);
}

std::string TcpClient::readWhile(const std::function<bool(const std::string&)>& more, Duration limit) {
    const auto deadline = Clock::now() + limit;
    std::string got;
    while (!ended_ && more(got)) {
        std::array<char, 512> buffer{};
        boost::system::error_code result;
        std::size_t size = 0;
        int completions = 0;
        socket_.async_read_some(boost::asio::buffer(buffer), [&](const boost::system::error_code& error, std::size_t n) {
            ++completions;
            result = error;
            size = n;
        });
        complete(io_, socket_, deadline, completions);
        got.append(buffer.data(), size);
        if (result == boost::asio::error::operation_aborted) break;  // the limit passed
        if (result) ended_ = true;  // end of stream, or reset
    }
    return got;
}

UdpProber::UdpProber() : socket_(io_) {
    socket_.open(boost::asio::ip::udp::v4());
    socket_.bind({loopback, 0});
}

void UdpProber::send(uint16_t port, const std::string& datagram) {
    socket_.send_to(boost::asio::buffer(datagram), {loopback, port});
}

std::vector<std::pair<std::string, boost::asio::ip::udp::endpoint>> UdpProber::receive(std::size_t count,
                                                                                      Duration limit) {
    const auto deadline = Clock::now() + limit;
    std::vector<std::pair<std::string, boost::asio::ip::udp::endpoint>> received;
    while (received.size() < count) {
        std::array<char, 512> buffer{};
        boost::asio::ip::udp::endpoint from;
        boost::system::error_code result;
        std::size_t size = 0;
        int completions = 0;
        socket_.async_receive_from(boost::asio::buffer(buffer), from,
                                   [&](const boost::system::error_code& error, std::size_t n) {
                                       ++completions;
                                       result = error;
                                       size = n;
                                   });
        complete(io_, socket_, deadline, completions);
        if (result) break;
        received.emplace_back(std::string(buffer.data(), size), from);
    }
    return received;
}

}  // namespace simtest
