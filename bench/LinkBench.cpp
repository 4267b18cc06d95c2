// Costs of the TCP rig link, printed as figures:
//   - CPU time per second of wall time with 1, 10 and 50 connected, idle rig
//     clients (each connection thread wakes every 50 ms to check its stop
//     flag), against the same process with none;
//   - the round-trip time of a command and its answer through a rig client,
//     and of a plain blocking TCP ping-pong over loopback for reference.
// It talks to a peer on 127.0.0.1 only; run it in a private network
// namespace: unshare -n sh -c 'ip link set lo up; link_bench [seconds]'.
//
// Threads: the main thread drives the clients; the peer serves its
// connections on a thread of its own; each client has its connection thread.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include "net/RigClient.h"

namespace {

using boost::asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kCommand = "FA;";
const std::string kAnswer = "FA00014074000;";

// Accepts every connection and answers each command with kAnswer; an idle
// connection costs it nothing.
class AnsweringPeer {
public:
    AnsweringPeer() : acceptor_(io_, tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0)) {
        startAccept();
        thread_ = std::thread([this] { io_.run(); });
    }
    ~AnsweringPeer() {
        io_.stop();
        thread_.join();
    }
    unsigned short port() const { return acceptor_.local_endpoint().port(); }

private:
    struct Connection {
        explicit Connection(tcp::socket s) : socket(std::move(s)) {}
        tcp::socket socket;
        std::string command = std::string(kCommand.size(), '\0');
    };

    void startAccept() {
        acceptor_.async_accept([this](const boost::system::error_code& error, tcp::socket socket) {
            if (error) {
                return;
            }
            startCommand(std::make_shared<Connection>(std::move(socket)));
            startAccept();
        });
    }

    void startCommand(std::shared_ptr<Connection> connection) {
        boost::asio::async_read(connection->socket, boost::asio::buffer(connection->command),
                                [this, connection](const boost::system::error_code& error, std::size_t) {
                                    if (error) {
                                        return;
                                    }
                                    boost::asio::write(connection->socket, boost::asio::buffer(kAnswer));
                                    startCommand(connection);
                                });
    }

    boost::asio::io_context io_;
    tcp::acceptor acceptor_;
    std::thread thread_;
};

const boost::asio::ip::address kLoopback = boost::asio::ip::address_v4::loopback();

double processCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double cpuShareWhileIdle(unsigned short port, std::size_t clients, std::chrono::seconds span) {
    std::vector<K4Ip::RigClient> connected;
    for (std::size_t i = 0; i < clients; ++i) {
        connected.emplace_back(kLoopback, port);
        if (!connected.back().isConnected()) {
            std::fprintf(stderr, "client %zu did not connect\n", i);
            std::exit(1);
        }
    }
    std::this_thread::sleep_for(200ms);  // let the connects settle
    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(span);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    for (auto& client : connected) {
        client.stop();
    }
    return cpu / wall;
}

struct Latency {
    double median_us;
    double p99_us;
};

Latency summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 99 / 100]};
}

// The host polls receive without sleeping, as a rig whose Check is called
// in a tight loop; the figure is the client's own added latency.
Latency clientRoundTrip(unsigned short port, int rounds) {
    K4Ip::RigClient client(kLoopback, port);
    std::vector<double> samples;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        client.send(kCommand);
        std::size_t received = 0;
        while (received < kAnswer.size()) {
            received += client.receive()->size();
            std::this_thread::yield();
        }
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    client.stop();
    return summarise(std::move(samples));
}

Latency plainRoundTrip(unsigned short port, int rounds) {
    boost::asio::io_context io;
    tcp::socket socket(io);
    socket.connect(tcp::endpoint(boost::asio::ip::address_v4::loopback(), port));
    socket.set_option(tcp::no_delay(true));
    std::string answer(kAnswer.size(), '\0');
    std::vector<double> samples;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        boost::asio::write(socket, boost::asio::buffer(kCommand));
        boost::asio::read(socket, boost::asio::buffer(answer));
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return summarise(std::move(samples));
}

}  // namespace

int main(int argc, char** argv) {
    const std::chrono::seconds span(argc > 1 ? std::atoi(argv[1]) : 5);
    AnsweringPeer peer;

    std::printf("idle link cost over %lld s (CPU time per wall second, %% of one core)\n",
                static_cast<long long>(span.count()));
    for (std::size_t clients : {0, 1, 10, 50}) {
        std::printf("  %2zu clients: %6.3f %%\n", clients, 100.0 * cpuShareWhileIdle(peer.port(), clients, span));
    }

    const int rounds = 5000;
    const Latency viaClient = clientRoundTrip(peer.port(), rounds);
    const Latency plain = plainRoundTrip(peer.port(), rounds);
    std::printf("round trip \"%s\" -> \"%s\" over loopback, %d rounds (microseconds)\n", kCommand.c_str(),
                kAnswer.c_str(), rounds);
    std::printf("  rig client:      median %8.1f  p99 %8.1f\n", viaClient.median_us, viaClient.p99_us);
    std::printf("  plain TCP:       median %8.1f  p99 %8.1f\n", plain.median_us, plain.p99_us);
    return 0;
}
