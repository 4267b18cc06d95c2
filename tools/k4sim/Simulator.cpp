#include "Simulator.h"

#include <future>
#include <stdexcept>

#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>

#include "Control.h"
#include "ControlServer.h"
#include "DiscoveryResponder.h"
#include "Pty.h"
#include "RecordFile.h"
#include "TcpListener.h"

namespace k4sim {

namespace {

boost::asio::ip::address parseAddress(const std::string& text) {
    boost::system::error_code error;
    const auto address = boost::asio::ip::make_address(text, error);
    if (error) throw std::invalid_argument("not an IP address: " + text);
    return address;
}

}  // namespace

Simulator::Simulator(SimOptions options) : options_(std::move(options)) {
    std::shared_ptr<RecordFile> everyRadio;
    if (!options_.recordFile.empty()) everyRadio = std::make_shared<RecordFile>(options_.recordFile);
    for (const auto& radio : options_.radios) {
        std::vector<std::shared_ptr<RecordFile>> files;
        if (everyRadio) files.push_back(everyRadio);
        if (!radio.recordFile.empty()) files.push_back(std::make_shared<RecordFile>(radio.recordFile));
        radios_.push_back(std::make_shared<Radio>(radio, options_.recordInMemory, std::move(files)));
    }
}

Simulator::~Simulator() { stop(); }

void Simulator::start() {
    if (used_) throw std::logic_error("a simulator starts only once");
    used_ = true;
    try {
        openPorts();
    } catch (...) {
        closeAll();
        io_.run();  // completes the aborted operations, releasing what they hold
        throw;
    }
    work_.emplace(io_.get_executor());
    thread_ = std::thread([this] {
        for (;;) {
            try {
                io_.run();
                return;
            } catch (const std::exception&) {
                // A failing handler ends only its own operation; go on serving the rest.
            }
        }
    });
    started_ = true;
}

void Simulator::openPorts() {
    const auto defaultBind = parseAddress(options_.bindAddress);
    std::vector<DiscoveryResponder::Member> members;
    for (const auto& radio : radios_) {
        const auto& bind = radio->options().bindAddress;
        const auto address = bind.empty() ? defaultBind : parseAddress(bind);
        auto listener = std::make_shared<TcpListener>(
            io_, radio, boost::asio::ip::tcp::endpoint(address, radio->options().port));
        listeners_.push_back(listener);
        listener->open();
        members.push_back({radio, address});
    }
    if (options_.discovery) {
        responder_ = std::make_shared<DiscoveryResponder>(
            io_, std::move(members),
            boost::asio::ip::udp::endpoint(parseAddress(options_.discoveryBind), options_.discoveryPort));
        discoveryPort_ = responder_->open();
    }
    if (options_.pty) {
        if (radios_.empty()) throw std::invalid_argument("a pseudo-terminal needs a radio to serve");
        pty_ = openPty(io_, radios_.front(), options_.ptyLink);
    }
    if (options_.controlPort >= 0) {
        control_ = std::make_shared<ControlServer>(
            io_, boost::asio::ip::tcp::endpoint(defaultBind, static_cast<uint16_t>(options_.controlPort)),
            [this](const std::string& request) { return controlAnswer(*this, request); });
        controlPort_ = control_->open();
    }
}

void Simulator::stop() {
    if (!started_) return;
    started_ = false;
    boost::asio::post(io_, [this] { closeAll(); });
    work_.reset();
    thread_.join();
}

void Simulator::closeAll() {
    for (auto& listener : listeners_) listener->close();
    if (responder_) responder_->close();
    if (pty_) pty_->close();
    if (control_) control_->close();
}

template <class Work>
void Simulator::onSimulatorThread(Work work) {
    if (!started_ || io_.get_executor().running_in_this_thread()) return work();
    std::packaged_task<void()> task(std::move(work));
    auto done = task.get_future();
    boost::asio::post(io_, [&task] { task(); });
    done.get();
}

Radio* Simulator::findRadio(const std::string& name) {
    const auto index = indexOf(name);
    return index ? radios_[*index].get() : nullptr;
}

std::optional<std::size_t> Simulator::indexOf(const std::string& name) const {
    for (std::size_t i = 0; i < radios_.size(); ++i)
        if (radios_[i]->name() == name) return i;
    return std::nullopt;
}

std::string Simulator::ptyPath() const { return pty_ ? pty_->path() : std::string(); }

void Simulator::setListening(std::size_t index, bool listening) {
    if (listeners_.empty()) return;  // not started: no port to open or close
    auto& listener = listeners_.at(index);
    onSimulatorThread([&] { listener->setListening(listening); });
}

void Simulator::disconnectAll(std::size_t index) {
    auto& listener = listeners_.at(index);
    onSimulatorThread([&] { listener->disconnectAll(); });
}

void Simulator::reboot(std::size_t index, std::chrono::milliseconds down) {
    auto& listener = listeners_.at(index);
    onSimulatorThread([&] { listener->reboot(down); });
}

uint64_t Simulator::turnKnob(std::size_t index, const KnobTurn& turn) {
    Radio& turned = *radios_.at(index);
    uint64_t seq = 0;
    onSimulatorThread([&] { seq = turned.turnKnob(turn); });
    return seq;
}

std::size_t Simulator::injectAll(std::size_t index, const std::string& bytes) {
    auto& listener = listeners_.at(index);
    std::size_t connections = 0;
    onSimulatorThread([&] { connections = listener->injectAll(bytes); });
    return connections;
}

std::size_t Simulator::probeCount() const { return responder_ ? responder_->probeCount() : 0; }

std::vector<std::string> Simulator::discoveryDatagrams() const {
    return responder_ ? responder_->datagrams() : std::vector<std::string>();
}

bool Simulator::waitForProbes(std::size_t count, std::chrono::milliseconds timeout) const {
    return responder_ && responder_->waitForProbes(count, timeout);
}

}  // namespace k4sim
