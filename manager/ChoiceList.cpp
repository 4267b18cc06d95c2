#include "manager/ChoiceList.h"

#include <utility>

namespace chooser {

ChoiceList::ChoiceList(Source source) : source_(std::move(source)) {}

void ChoiceList::restart() {
    names_.clear();
    entries_.clear();
    numbers_.clear();
    shown_ = 0;
    taken_ = false;
}

size_t ChoiceList::count() {
    takeIn();
    return shown_ = entries_.size();
}

size_t ChoiceList::shown() {
    takeInOnce();
    return shown_;
}

const std::string& ChoiceList::name(size_t choice) {
    takeInOnce();
    return entry(choice).name;
}

K4Ip::Discovered ChoiceList::radio(size_t choice) {
    takeIn();
    const Entry& chosen = entry(choice);
    return chosen.radio.renamed(chosen.name);
}

size_t ChoiceList::choiceOf(const std::string& id) {
    takeInOnce();
    const auto found = numbers_.find(id);
    return found != numbers_.end() && found->second <= shown_ ? found->second : 0;
}

K4Ip::Discovered ChoiceList::radioWithId(const std::string& id) {
    takeIn();
    const auto found = numbers_.find(id);
    if (found == numbers_.end()) return K4Ip::Discovered();
    const Entry& saved = entry(found->second);
    return saved.radio.renamed(saved.name);
}

void ChoiceList::takeIn() {
    const bool first = !taken_;
    taken_ = true;
    std::vector<K4Ip::Discovered> joining;
    for (auto& radio : source_()) {
        const auto found = numbers_.find(radio.id());
        if (found != numbers_.end())
            entry(found->second).radio = std::move(radio);
        else
            joining.push_back(std::move(radio));
    }
    const std::vector<std::string> names = names_.join(joining);
    for (size_t i = 0; i < joining.size(); ++i) {
        numbers_.emplace(joining[i].id(), entries_.size() + 1);
        entries_.push_back(Entry{std::move(joining[i]), names[i]});
    }
    if (first) shown_ = entries_.size();
}

void ChoiceList::takeInOnce() {
    if (!taken_) takeIn();
}

}  // namespace chooser
