#include "FakeRadio.h"

#include <array>
#include <cstring>
#include <stdexcept>

#include "platform/Adapters.h"

namespace discoverytest {

namespace ip = boost::asio::ip;

FakeRadio::FakeRadio() : socket_(io_, ip::udp::endpoint(ip::udp::v4(), 0)) {
    port_ = socket_.local_endpoint().port();
}

std::optional<Datagram> FakeRadio::receive(std::chrono::milliseconds limit) {
    std::array<char, 2048> buffer{};
    ip::udp::endpoint from;
    std::optional<Datagram> received;
    int completions = 0;
    socket_.async_receive_from(boost::asio::buffer(buffer), from,
                               [&](const boost::system::error_code& error, size_t length) {
                                   ++completions;
                                   if (!error) received = Datagram{std::string(buffer.data(), length), from};
                               });
    io_.restart();
    io_.run_for(limit);
    if (completions == 0) {
        socket_.cancel();
        io_.restart();
        io_.run();
    }
    if (completions != 1) throw std::logic_error("receive completed more than once");
    return received;
}

void FakeRadio::answer(const ip::udp::endpoint& to, const std::string& bytes) {
    socket_.send_to(boost::asio::buffer(bytes), to);
}

bool networkIsPrivate(bool allowTestSubnet) {
    for (const auto& address : platform::localIpv4Addresses()) {
        std::array<unsigned char, 4> bytes;
        std::memcpy(bytes.data(), &address.addressNetworkOrder, 4);
        const bool loopback = bytes[0] == 127;
        const bool testSubnet = bytes[0] == 10 && bytes[1] == 231 && bytes[2] == 0;
        if (!loopback && !(allowTestSubnet && testSubnet)) return false;
    }
    return true;
}

}  // namespace discoverytest
