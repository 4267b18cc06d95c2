#include "RadioHistory.h"

namespace soak {

void RadioHistory::add(const std::vector<HistoryEntry>& entries) {
    for (const auto& entry : entries)
        if (entry.seq > lastSeq()) {
            entries_.push_back(entry);
            vfoAs_.insert(entry.state.vfoA);
            lastOfCause_[entry.cause] = entry.seq;
        }
}

std::optional<RadioState> RadioHistory::at(uint64_t seq) const {
    for (const auto& entry : entries_)
        if (entry.seq == seq) return entry.state;
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
