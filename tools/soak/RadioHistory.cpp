#include "RadioHistory.h"

namespace soak {
namespace {

constexpr std::size_t kMarksKept = 4096;  // minutes of polls, far more than any judgement looks back

}  // namespace

void RadioHistory::add(const std::vector<HistoryEntry>& entries) {
    for (const auto& entry : entries)
        if (entry.seq > lastSeq()) {
            entries_.push_back(entry);
            if (entry.state.vfoA % 10 != 0) oddVfoAs_.insert(entry.state.vfoA);
            lastOfCause_[entry.cause] = entry.seq;
        }
}

void RadioHistory::addMarks(const std::vector<AnswerMark>& marks) {
    for (const auto& mark : marks)
        if (mark.number > lastMark_) {
            marks_.push_back(mark);
            lastMark_ = mark.number;
            if (mark.kind == 'p') ++polls_;
            if (marks_.size() > kMarksKept) marks_.pop_front();
        }
}

std::optional<RadioState> RadioHistory::at(uint64_t seq) const {
    for (const auto& entry : entries_)
        if (entry.seq == seq) return entry.state;
    return std::nullopt;
}

std::optional<AnswerMark> RadioHistory::newestPoll(uint64_t upTo, int opened) const {
    std::set<int> wentOn;  // connections with a later mark
    for (auto mark = marks_.rbegin(); mark != marks_.rend(); ++mark) {
        const bool followed = !wentOn.insert(mark->connection).second;
        if (followed && mark->number <= upTo && mark->kind == 'p' && mark->connection > opened) return *mark;
    }
    return std::nullopt;
}

std::optional<AnswerMark> RadioHistory::firstMarkAfter(uint64_t after, char kind) const {
    for (const auto& mark : marks_)
        if (mark.number > after && mark.kind == kind) return mark;
    return std::nullopt;
}

std::optional<AnswerMark> RadioHistory::firstPollAfter(const RadioPoint& at) const {
    int onOlder = 0;
    for (const auto& mark : marks_) {
        if (mark.number <= at.mark || mark.kind != 'p') continue;
        if (mark.connection > at.opened || ++onOlder == 2) return mark;
    }
    return std::nullopt;
}

std::optional<uint64_t> RadioHistory::firstHeldSince(uint64_t from, const Reading& reading) const {
    for (const auto& entry : entries_)
        if (entry.seq >= from && readingOf(entry.state) == reading) return entry.seq;
    return std::nullopt;
}

void RadioHistory::forgetBefore(uint64_t seq) {
    while (entries_.size() > 1 && entries_.front().seq < seq) entries_.pop_front();
}

}  // namespace soak
