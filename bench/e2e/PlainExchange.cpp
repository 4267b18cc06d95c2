#include "PlainExchange.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>

#include "Polling.h"
#include "core/Commands.h"

namespace e2e {
namespace {

using boost::asio::ip::tcp;

constexpr long kAnswersPerPoll = 5;

long answersIn(const char* data, std::size_t size) { return static_cast<long>(std::count(data, data + size, ';')); }

// A VARIANT holding the bytes as a one-dimensional byte array, as the driver
// hands them to WriteChars.
VARIANT byteVariant(const std::string& bytes) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!v.parray) throw std::runtime_error("out of memory");
    void* data = nullptr;
    SafeArrayAccessData(v.parray, &data);
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(v.parray);
    return v;
}

long answersInVariant(const VARIANT& v) {
    if (v.vt != (VT_ARRAY | VT_UI1) || !v.parray) return 0;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    void* data = nullptr;
    if (upper < lower || FAILED(SafeArrayAccessData(v.parray, &data))) return 0;
    const long answers = answersIn(static_cast<const char*>(data), static_cast<std::size_t>(upper - lower + 1));
    SafeArrayUnaccessData(v.parray);
    return answers;
}

}  // namespace

struct TcpExchange::Connection {
    boost::asio::io_context io;
    tcp::socket socket{io};
};

TcpExchange::TcpExchange(uint16_t port) : connection_(std::make_unique<Connection>()) {
    connection_->socket.connect(tcp::endpoint(boost::asio::ip::address_v4::loopback(), port));
}

TcpExchange::~TcpExchange() = default;

double TcpExchange::roundTrip() {
    const std::string poll = k4command::kPoll;
    char buffer[256];
    const Clock::time_point start = Clock::now();
    boost::asio::write(connection_->socket, boost::asio::buffer(poll));
    for (long answers = 0; answers < kAnswersPerPoll;)
        answers += answersIn(buffer, connection_->socket.read_some(boost::asio::buffer(buffer)));
    return microsSince(start);
}

std::vector<double> timeTcpExchanges(uint16_t port, int count) {
    TcpExchange exchange(port);
    std::vector<double> micros;
    for (int i = 0; i < count; ++i) micros.push_back(exchange.roundTrip());
    return micros;
}

std::vector<double> timePortExchanges(IQbRigIO* port, int count) {
    VARIANT poll = byteVariant(k4command::kPoll);
    std::vector<double> micros;
    for (int i = 0; i < count; ++i) {
        const Clock::time_point start = Clock::now();
        LONG error = 0;
        expectOk(port->WriteChars(poll, &error), "WriteChars");
        for (long answers = 0; answers < kAnswersPerPoll;) {
            VARIANT received;
            VariantInit(&received);
            expectOk(port->ReadChars(&received, &error), "ReadChars");
            answers += answersInVariant(received);
            VariantClear(&received);
            if (microsSince(start) > 2e6) throw std::runtime_error("the port gave no answer to the poll");
        }
        micros.push_back(microsSince(start));
    }
    VariantClear(&poll);
    return micros;
}

}  // namespace e2e
