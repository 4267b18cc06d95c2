// One simulated K4: its state, its faults and the record of what it
// received. The network and terminal front ends (TcpListener, Session,
// DiscoveryResponder, the pty) drive it on the simulator's thread; tests
// read and change it from their own thread.
//
// Concurrency: every member that changes is guarded by mutex_, which is
// held only to copy or update data (never across I/O or a callback);
// changed_ wakes the waitFor... calls. Record files are written by the
// simulator's thread alone, outside the lock. options_ never changes.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Options.h"
#include "RadioState.h"
#include "RecordFile.h"

namespace k4sim {

// What a logger sees of the radio: both VFOs, mode, split and transmit.
struct WholeState {
    int64_t vfoA = 0;
    int64_t vfoB = 0;
    int mode = 0;
    bool split = false;
    bool transmitting = false;
    bool operator==(const WholeState& other) const {
        return vfoA == other.vfoA && vfoB == other.vfoB && mode == other.mode && split == other.split &&
               transmitting == other.transmitting;
    }
};

// One whole state in the order the radio took them: numbered from 1 (the
// initial state), with the milliseconds since the radio was made and what
// caused it.
struct HistoryEntry {
    enum class Cause : char { initial = 'i', command = 'c', knob = 'k', faultKnob = 'f', control = 's' };
    uint64_t seq = 0;
    int64_t ms = 0;
    WholeState state;
    Cause cause = Cause::initial;
};

// A change made as the operator would make it on the radio's front panel:
// the VFO knobs, the mode and split buttons. Empty fields stay as they are.
struct KnobTurn {
    std::optional<int64_t> vfoA, vfoB;
    std::optional<int> mode;
    std::optional<bool> split;
};

// A radio's connections and bytes since it started; kept also when the
// simulator keeps no record in memory.
struct LinkCounts {
    int open = 0;             // connections open now (a half-open one included)
    int opened = 0;           // connections opened in all
    std::size_t received = 0;  // bytes read
    std::size_t sent = 0;      // bytes written
};

// One connection's traffic as the radio received it.
struct ConnectionRecord {
    int number = 0;     // 1, 2, ... in the order the connections were opened
    std::string peer;   // "address:port", or "pty"
    std::string received;               // the exact bytes
    std::vector<std::string> commands;  // the commands executed, without ";"
    bool open = true;
};

class Radio {
public:
    Radio(RadioOptions options, bool recordInMemory, std::vector<std::shared_ptr<RecordFile>> files);

    const RadioOptions& options() const { return options_; }
    const std::string& name() const { return options_.name; }
    const std::string& id() const { return options_.id; }
    // The TCP port it listens on (the chosen one when configured as 0).
    uint16_t port() const { return port_; }

    RadioState state() const;
    void setState(const RadioState& state);
    // Applies the turn and returns the number of the whole state it made
    // (the present one when nothing changed).
    uint64_t turnKnob(const KnobTurn& turn);
    // The whole states numbered `from` on (the oldest kept, when those are
    // gone), oldest first; at most kHistoryKept are kept.
    std::vector<HistoryEntry> history(uint64_t from) const;
    static constexpr std::size_t kHistoryKept = 10000;
    uint64_t currentSeq() const;  // the number of the present whole state
    Faults faults() const;
    void setFaults(const Faults& faults);
    bool halfOpen() const;
    bool stalled() const;
    int dripMs() const;

    // The record; empty when the simulator keeps no record in memory.
    std::vector<ConnectionRecord> connections() const;
    std::string received() const;               // all connections, in arrival order
    std::vector<std::string> commands() const;  // all connections, in execution order
    std::size_t connectionCount() const;        // connections opened so far
    std::size_t rejectedCount() const;          // commands answered "?;" so far
    LinkCounts linkCounts() const;
    // When the radio last wrote a byte on any connection (its start, before the first).
    std::chrono::steady_clock::time_point lastSentAt() const;
    void clearRecord();
    // Wait until this many bytes (commands) were received in all since the
    // start or the last clearRecord; false on time-out.
    bool waitForBytes(std::size_t count, std::chrono::milliseconds timeout) const;
    bool waitForCommands(std::size_t count, std::chrono::milliseconds timeout) const;
    // Wait until this many connections were opened in all.
    bool waitForConnections(std::size_t count, std::chrono::milliseconds timeout) const;

    // Front-end side, simulator's thread.
    void setPort(uint16_t port) { port_ = port; }
    int openConnection(const std::string& peer);
    void closeConnection(int connection);
    void recordReceived(int connection, const char* data, std::size_t size);
    void recordSent(std::size_t size);
    // Records and executes one command; returns its answer ("" for a set).
    std::string execute(int connection, const std::string& command);
    // The datagrams that answer one discovery probe; `localAddress` is the
    // address the answer leaves from (third field of the real shape).
    std::vector<std::string> discoveryAnswers(const std::string& localAddress);

private:
    ConnectionRecord* findConnection(int connection);
    void noteState(HistoryEntry::Cause cause);  // with mutex_ held
    template <class Predicate>
    bool waitFor(std::chrono::milliseconds timeout, Predicate predicate) const;

    const RadioOptions options_;
    const bool recordInMemory_;
    const std::vector<std::shared_ptr<RecordFile>> files_;
    std::atomic<uint16_t> port_{0};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    RadioState state_;
    Faults faults_;
    std::vector<ConnectionRecord> connections_;
    std::string received_;
    std::vector<std::string> commands_;
    std::size_t byteCount_ = 0;
    std::size_t commandCount_ = 0;
    LinkCounts links_;
    std::size_t rejectedCount_ = 0;
    const std::chrono::steady_clock::time_point made_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastSent_ = made_;
    std::deque<HistoryEntry> history_;
    uint64_t lastSeq_ = 0;
    int churnRound_ = 0;  // simulator's thread only
};

}  // namespace k4sim
