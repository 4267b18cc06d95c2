// k4sim: simulated K4 radios for the driver's tests, demos and benchmarks.
// Opens every port, prints where each radio listens and then "k4sim ready",
// and serves until SIGINT or SIGTERM (or the --duration) ends it.
//
// Concurrency: the simulator runs on its own thread; this thread only waits
// for a signal or the duration on its own io_context, then stops the
// simulator, which joins its thread.
#include <csignal>
#include <iostream>

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include "CommandLine.h"
#include "Simulator.h"

namespace {

void printPorts(k4sim::Simulator& simulator, const k4sim::SimOptions& options) {
    for (std::size_t i = 0; i < simulator.radioCount(); ++i) {
        const auto& radio = simulator.radio(i);
        const auto& bind = radio.options().bindAddress.empty() ? options.bindAddress : radio.options().bindAddress;
        std::cout << "radio " << radio.name() << " id=" << radio.id() << " tcp=" << bind << ":" << radio.port()
                  << (radio.options().listening ? "" : " refusing") << "\n";
    }
    if (options.discovery) std::cout << "discovery udp=" << options.discoveryBind << ":" << simulator.discoveryPort() << "\n";
    if (options.pty) std::cout << "pty " << simulator.ptyPath() << "\n";
    if (options.controlPort >= 0)
        std::cout << "control tcp=" << options.bindAddress << ":" << simulator.controlPort() << "\n";
    std::cout << "k4sim ready" << std::endl;
}

// Catches SIGINT and SIGTERM from its construction on, so that no signal
// can kill the program between the ready line and the wait.
class EndOfRun {
public:
    EndOfRun() : signals_(io_, SIGINT, SIGTERM), timer_(io_) {}

    // Returns on a signal or once the duration (if any) has passed.
    void wait(int durationSeconds) {
        signals_.async_wait([this](const boost::system::error_code& error, int) {
            if (!error) timer_.cancel();
        });
        if (durationSeconds > 0) {
            timer_.expires_after(std::chrono::seconds(durationSeconds));
            timer_.async_wait([this](const boost::system::error_code& error) {
                if (!error) signals_.cancel();
            });
        }
        io_.run_one();
    }

private:
    boost::asio::io_context io_;
    boost::asio::signal_set signals_;
    boost::asio::steady_timer timer_;
};

}  // namespace

int main(int argc, char** argv) {
    k4sim::CommandLine line;
    try {
        line = k4sim::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const k4sim::UsageError& error) {
        std::cerr << "k4sim: " << error.what() << "\n(see k4sim --help)\n";
        return 2;
    }
    if (line.help) {
        std::cout << k4sim::usageText();
        return 0;
    }
    line.options.recordInMemory = false;  // a long run would only grow; --record writes to a file instead
    try {
        EndOfRun end;
        k4sim::Simulator simulator(line.options);
        simulator.start();
        printPorts(simulator, line.options);
        end.wait(line.durationSeconds);
        simulator.stop();
    } catch (const std::exception& error) {
        std::cerr << "k4sim: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
