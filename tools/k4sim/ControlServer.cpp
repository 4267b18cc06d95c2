#include "ControlServer.h"

#include <algorithm>

#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>

namespace k4sim {

namespace {

constexpr std::size_t maxRequestLength = 4096;

}  // namespace

// One client of the control port: reads a line, writes its answer, repeats.
class ControlConnection : public std::enable_shared_from_this<ControlConnection> {
public:
    ControlConnection(boost::asio::ip::tcp::socket socket, ControlServer::Answer answer)
        : socket_(std::move(socket)), answer_(std::move(answer)), input_(maxRequestLength) {}

    void start() { startRead(); }

    void close() {
        boost::system::error_code ignored;
        socket_.close(ignored);
    }

private:
    void startRead() {
        boost::asio::async_read_until(socket_, input_, '\n',
                                      [self = shared_from_this()](const boost::system::error_code& error,
                                                                  std::size_t size) { self->onRead(error, size); });
    }

    void onRead(const boost::system::error_code& error, std::size_t size) {
        if (error) return close();  // closed, or a request longer than maxRequestLength
        std::string request(boost::asio::buffers_begin(input_.data()),
                            boost::asio::buffers_begin(input_.data()) + static_cast<std::ptrdiff_t>(size));
        input_.consume(size);
        request.erase(request.find_last_not_of("\r\n") + 1);
        output_ = answer_(request) + "\n";
        boost::asio::async_write(socket_, boost::asio::buffer(output_),
                                 [self = shared_from_this()](const boost::system::error_code& error, std::size_t) {
                                     if (!error) self->startRead();
                                 });
    }

    boost::asio::ip::tcp::socket socket_;
    const ControlServer::Answer answer_;
    boost::asio::streambuf input_;
    std::string output_;
};

ControlServer::ControlServer(boost::asio::io_context& io, boost::asio::ip::tcp::endpoint endpoint, Answer answer)
    : endpoint_(endpoint), acceptor_(io), answer_(std::move(answer)) {}

uint16_t ControlServer::open() {
    acceptor_.open(endpoint_.protocol());
    acceptor_.set_option(boost::asio::socket_base::reuse_address(true));
    acceptor_.bind(endpoint_);
    acceptor_.listen();
    startAccept();
    return acceptor_.local_endpoint().port();
}

void ControlServer::close() {
    boost::system::error_code ignored;
    acceptor_.close(ignored);
    for (auto& weak : connections_)
        if (auto connection = weak.lock()) connection->close();
    connections_.clear();
}

void ControlServer::startAccept() {
    acceptor_.async_accept([self = shared_from_this()](const boost::system::error_code& error,
                                                       boost::asio::ip::tcp::socket socket) {
        self->onAccept(error, std::move(socket));
    });
}

void ControlServer::onAccept(const boost::system::error_code& error, boost::asio::ip::tcp::socket socket) {
    if (error || !acceptor_.is_open()) return;  // closed, or the system refuses: the port stops serving
    auto connection = std::make_shared<ControlConnection>(std::move(socket), answer_);
    connection->start();
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [](const auto& weak) { return weak.expired(); }),
                       connections_.end());
    connections_.push_back(connection);
    startAccept();
}

}  // namespace k4sim
