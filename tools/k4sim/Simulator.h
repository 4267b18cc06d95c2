// A set of simulated K4 radios in one process: a TCP port per radio, one
// UDP discovery port for all of them, and optionally a pseudo-terminal for
// the first radio, and a control port. Tests embed it (ports 0 let the system choose; the
// chosen ones are reported), the k4sim program wraps it.
//
// Concurrency: start() binds every port on the caller's thread, then starts
// the simulator's thread, which runs every network handler on one
// io_context until stop(). The control calls (setListening,
// disconnectAll) run their work on that thread and wait for it; the
// Radio and probe accessors lock their own data. stop() closes everything
// on that thread and joins it; the destructor stops.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include "Options.h"
#include "Radio.h"

namespace k4sim {

class ControlServer;
class DiscoveryResponder;
class PtyServer;
class TcpListener;

class Simulator {
public:
    // Throws std::runtime_error when a record file cannot be opened.
    explicit Simulator(SimOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds every port and starts serving; once per simulator. Throws
    // (std::system_error, or std::invalid_argument for an address text) when
    // anything cannot be set up; nothing then runs.
    void start();
    // Closes every port and connection and joins the thread. Idempotent.
    void stop();

    std::size_t radioCount() const { return radios_.size(); }
    Radio& radio(std::size_t index) { return *radios_.at(index); }
    Radio* findRadio(const std::string& name);
    std::optional<std::size_t> indexOf(const std::string& name) const;
    uint16_t discoveryPort() const { return discoveryPort_; }
    uint16_t controlPort() const { return controlPort_; }
    // The pseudo-terminal's path; empty without one.
    std::string ptyPath() const;

    // Stop accepting (connections are refused) or accept again, same port;
    // nothing before start().
    void setListening(std::size_t index, bool listening);
    // Hang up every open TCP connection of the radio.
    void disconnectAll(std::size_t index);
    // Hang up, refuse connections for `down`, then accept again; the
    // radio's state is kept.
    void reboot(std::size_t index, std::chrono::milliseconds down);
    // Radio::turnKnob on the simulator's thread, so that the turn falls
    // between two batches of answers, never inside one; returns the number
    // of the whole state it made.
    uint64_t turnKnob(std::size_t index, const KnobTurn& turn);
    // Send bytes unasked on every open TCP connection of the radio; returns
    // how many connections they went to.
    std::size_t injectAll(std::size_t index, const std::string& bytes);

    std::size_t probeCount() const;
    std::vector<std::string> discoveryDatagrams() const;
    bool waitForProbes(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void openPorts();
    void closeAll();
    template <class Work>
    void onSimulatorThread(Work work);

    const SimOptions options_;
    std::vector<std::shared_ptr<Radio>> radios_;
    boost::asio::io_context io_;
    std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work_;
    std::vector<std::shared_ptr<TcpListener>> listeners_;
    std::shared_ptr<DiscoveryResponder> responder_;
    std::shared_ptr<PtyServer> pty_;
    std::shared_ptr<ControlServer> control_;
    uint16_t discoveryPort_ = 0;
    uint16_t controlPort_ = 0;
    std::thread thread_;
    bool used_ = false;     // start() was called
    bool started_ = false;  // the thread runs
};

}  // namespace k4sim
