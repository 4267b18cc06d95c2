#include "support/LoopbackPeer.h"

#include <atomic>
#include <future>
#include <memory>
#include <vector>

#include <boost/asio/post.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <gtest/gtest.h>

namespace testsupport {

using boost::asio::ip::tcp;
using boost::system::error_code;

namespace {

tcp::endpoint anyLoopbackPort() { return tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0); }

}  // namespace

LoopbackPeer::LoopbackPeer(int receiveBuffer)
    : work_(io_.get_executor()), acceptor_(io_), connection_(io_) {
    acceptor_.open(tcp::v4());
    if (receiveBuffer > 0) {
        // Accepted connections inherit it, window scaling included.
        acceptor_.set_option(boost::asio::socket_base::receive_buffer_size(receiveBuffer));
    }
    acceptor_.bind(anyLoopbackPort());
    acceptor_.listen();
    port_ = acceptor_.local_endpoint().port();
    thread_ = std::thread([this] { io_.run(); });
}

LoopbackPeer::~LoopbackPeer() {
    boost::asio::post(io_, [this] {
        error_code ignored;
        connection_.close(ignored);
        acceptor_.close(ignored);
    });
    work_.reset();
    thread_.join();
}

std::size_t LoopbackPeer::await(std::function<void(Completion)> start, std::function<void()> cancel,
                                Duration limit) {
    auto done = std::make_shared<std::promise<std::size_t>>();
    auto calls = std::make_shared<std::atomic<int>>(0);
    std::future<std::size_t> result = done->get_future();
    Completion complete = [done, calls](std::size_t value) {
        if (++*calls == 1) {
            done->set_value(value);
        } else {
            ADD_FAILURE() << "a peer operation completed more than once";
        }
    };
    boost::asio::post(io_, [start, complete] { start(complete); });
    if (result.wait_for(limit) == std::future_status::timeout) {
        boost::asio::post(io_, cancel);
    }
    return result.get();
}

bool LoopbackPeer::accept(Duration limit) {
    const std::size_t accepted = await(
        [this](Completion complete) {
            acceptor_.async_accept([this, complete](const error_code& error, tcp::socket incoming) {
                if (!error) {
                    connection_ = std::move(incoming);
                }
                complete(error ? 0 : 1);
            });
        },
        [this] { acceptor_.cancel(); }, limit);
    return accepted == 1;
}

std::string LoopbackPeer::read(std::size_t count, Duration limit) {
    auto bytes = std::make_shared<std::string>(count, '\0');
    const std::size_t got = await(
        [this, bytes](Completion complete) {
            boost::asio::async_read(connection_, boost::asio::buffer(*bytes),
                                    [complete](const error_code&, std::size_t n) { complete(n); });
        },
        [this] {
            error_code ignored;
            connection_.cancel(ignored);
        },
        limit);
    bytes->resize(got);
    return *bytes;
}

std::size_t LoopbackPeer::readToEnd(Duration limit) {
    auto sink = std::make_shared<std::vector<char>>(65536);
    auto total = std::make_shared<std::size_t>(0);
    auto readOn = std::make_shared<std::function<void(Completion)>>();
    *readOn = [this, sink, total, readOn](Completion complete) {
        connection_.async_read_some(boost::asio::buffer(*sink), [readOn, total, complete](const error_code& error,
                                                                                          std::size_t n) {
            *total += n;
            if (!error) return (*readOn)(complete);
            *readOn = nullptr;  // ends the cycle of references
            complete(*total);
        });
    };
    return await([readOn](Completion complete) { (*readOn)(complete); },
                 [this] {
                     error_code ignored;
                     connection_.cancel(ignored);
                 },
                 limit);
}

bool LoopbackPeer::write(const std::string& bytes, Duration limit) {
    auto copy = std::make_shared<std::string>(bytes);
    const std::size_t written = await(
        [this, copy](Completion complete) {
            boost::asio::async_write(connection_, boost::asio::buffer(*copy),
                                     [complete, copy](const error_code&, std::size_t n) { complete(n); });
        },
        [this] {
            error_code ignored;
            connection_.cancel(ignored);
        },
        limit);
    return written == bytes.size();
}

void LoopbackPeer::closeConnection() {
    await(
        [this](Completion complete) {
            error_code ignored;
            connection_.shutdown(tcp::socket::shutdown_both, ignored);
            connection_.close(ignored);
            complete(0);
        },
        [] {}, kPeerLimit);
}

UnansweredListener::UnansweredListener() : acceptor_(io_), filler_(io_) {
    acceptor_.open(tcp::v4());
    acceptor_.bind(anyLoopbackPort());
    // A backlog of 0 leaves room for one connection that is never accepted;
    // the filler takes it, and later connection requests go unanswered.
    acceptor_.listen(0);
    filler_.connect(acceptor_.local_endpoint());
}

unsigned short closedPort() {
    boost::asio::io_context io;
    tcp::acceptor acceptor(io, anyLoopbackPort());
    return acceptor.local_endpoint().port();
}

}  // namespace testsupport
