#include "Radio.h"

#include <algorithm>
#include <utility>

namespace k4sim {

Radio::Radio(RadioOptions options, bool recordInMemory, std::vector<std::shared_ptr<RecordFile>> files)
    : options_(std::move(options)),
      recordInMemory_(recordInMemory),
      files_(std::move(files)),
      state_(options_.initialState),
      faults_(options_.faults) {
    noteState(HistoryEntry::Cause::initial);
}

RadioState Radio::state() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

void Radio::setState(const RadioState& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = state;
    noteState(HistoryEntry::Cause::control);
}

uint64_t Radio::turnKnob(const KnobTurn& turn) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.vfoA = turn.vfoA.value_or(state_.vfoA);
    state_.vfoB = turn.vfoB.value_or(state_.vfoB);
    state_.mode = turn.mode.value_or(state_.mode);
    state_.split = turn.split.value_or(state_.split);
    noteState(HistoryEntry::Cause::knob);
    return lastSeq_;
}

uint64_t Radio::currentSeq() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastSeq_;
}

std::vector<HistoryEntry> Radio::history(uint64_t from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto first = std::find_if(history_.begin(), history_.end(),
                              [from](const HistoryEntry& entry) { return entry.seq >= from; });
    return {first, history_.end()};
}

Faults Radio::faults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_;
}

void Radio::setFaults(const Faults& faults) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_ = faults;
}

bool Radio::halfOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_.halfOpen;
}

bool Radio::stalled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_.stall;
}

int Radio::dripMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_.dripMs;
}

std::vector<ConnectionRecord> Radio::connections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

std::string Radio::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<std::string> Radio::commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

std::size_t Radio::connectionCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::size_t>(links_.opened);
}

std::size_t Radio::rejectedCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rejectedCount_;
}

LinkCounts Radio::linkCounts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return links_;
}

// A new entry when the whole state differs from the last one.
void Radio::noteState(HistoryEntry::Cause cause) {
    const WholeState now{state_.vfoA, state_.vfoB, state_.mode, state_.split, state_.transmitting};
    if (!history_.empty() && history_.back().state == now) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - made_);
    history_.push_back({++lastSeq_, ms.count(), now, cause});
    if (history_.size() > kHistoryKept) history_.pop_front();
}

void Radio::clearRecord() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& connection : connections_) {
        connection.received.clear();
        connection.commands.clear();
    }
    received_.clear();
    commands_.clear();
    byteCount_ = 0;
    commandCount_ = 0;
}

template <class Predicate>
bool Radio::waitFor(std::chrono::milliseconds timeout, Predicate predicate) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, predicate);
}

bool Radio::waitForBytes(std::size_t count, std::chrono::milliseconds timeout) const {
    return waitFor(timeout, [&] { return byteCount_ >= count; });
}

bool Radio::waitForCommands(std::size_t count, std::chrono::milliseconds timeout) const {
    return waitFor(timeout, [&] { return commandCount_ >= count; });
}

bool Radio::waitForConnections(std::size_t count, std::chrono::milliseconds timeout) const {
    return waitFor(timeout, [&] { return static_cast<std::size_t>(links_.opened) >= count; });
}

ConnectionRecord* Radio::findConnection(int connection) {
    auto found = std::find_if(connections_.begin(), connections_.end(),
                              [connection](const ConnectionRecord& record) { return record.number == connection; });
    return found == connections_.end() ? nullptr : &*found;
}

int Radio::openConnection(const std::string& peer) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int number = ++links_.opened;
    ++links_.open;
    if (recordInMemory_) connections_.push_back({number, peer, {}, {}, true});
    changed_.notify_all();
    return number;
}

void Radio::closeConnection(int connection) {
    std::lock_guard<std::mutex> lock(mutex_);
    --links_.open;
    if (auto* record = findConnection(connection)) record->open = false;
}

void Radio::recordReceived(int connection, const char* data, std::size_t size) {
    for (const auto& file : files_) file->append(data, size);
    std::lock_guard<std::mutex> lock(mutex_);
    byteCount_ += size;
    links_.received += size;
    if (recordInMemory_) {
        received_.append(data, size);
        if (auto* record = findConnection(connection)) record->received.append(data, size);
    }
    changed_.notify_all();
}

void Radio::recordSent(std::size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    links_.sent += size;
    lastSent_ = std::chrono::steady_clock::now();
}

std::chrono::steady_clock::time_point Radio::lastSentAt() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastSent_;
}

std::string Radio::execute(int connection, const std::string& command) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++commandCount_;
    if (recordInMemory_) {
        commands_.push_back(command);
        if (auto* record = findConnection(connection)) record->commands.push_back(command);
    }
    changed_.notify_all();
    if (command == "KS" && faults_.setKnobHz != 0) {
        state_.vfoA = std::max<int64_t>(state_.vfoA + faults_.setKnobHz, 0);
        noteState(HistoryEntry::Cause::faultKnob);
    }
    std::string answer = answerCommand(command, state_, options_.protocol);
    if (answer == "?;") ++rejectedCount_;
    noteState(HistoryEntry::Cause::command);
    return answer;
}

std::vector<std::string> Radio::discoveryAnswers(const std::string& localAddress) {
    const Faults faults = this->faults();
    const std::string id = options_.id + faults.idTail;
    const std::string name = options_.name + std::string(static_cast<std::size_t>(std::max(faults.pad, 0)), 'x');
    auto answer = [&](const std::string& suffix) {
        if (options_.shape == AnswerShape::real) {
            const std::string ip = options_.ipText.empty() ? localAddress : options_.ipText;
            return "k4:" + std::to_string(options_.index) + ":" + ip + ":" + id + suffix;
        }
        return "k4:" + name + suffix + ":" + options_.info + ":" + id + suffix;
    };
    if (faults.flood <= 0) return {answer("")};
    const int first = faults.churn ? ++churnRound_ * faults.flood / 2 : 0;  // half the ids are new each probe
    std::vector<std::string> answers;
    for (int k = 1; k <= faults.flood; ++k) answers.push_back(answer("-" + std::to_string(first + k)));
    return answers;
}

}  // namespace k4sim
