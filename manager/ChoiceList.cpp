#include "manager/ChoiceList.h"

#include <utility>

namespace chooser {

ChoiceList::ChoiceList(Source source, Namer namer) : source_(std::move(source)), namer_(std::move(namer)) {}

ChoiceList::Snapshot ChoiceList::take() const {
    Snapshot taken;
    taken.radios = source_();
    taken.names = namer_(taken.radios);
    return taken;
}

ChoiceList::Snapshot& ChoiceList::snapshot() {
    if (!snapshot_) snapshot_ = take();
    return *snapshot_;
}

size_t ChoiceList::recount() {
    snapshot_ = take();
    return snapshot_->radios.size();
}

size_t ChoiceList::count() { return snapshot().radios.size(); }

const std::string& ChoiceList::name(size_t choice) { return snapshot().names.at(choice - 1); }

K4Ip::Discovered ChoiceList::radio(size_t choice) {
    const Snapshot& listed = snapshot();
    return listed.radios.at(choice - 1).renamed(listed.names.at(choice - 1));
}

size_t ChoiceList::choiceIn(const Snapshot& snapshot, const std::string& id) {
    for (size_t i = 0; i < snapshot.radios.size(); ++i)
        if (snapshot.radios[i].id() == id) return i + 1;
    return 0;
}

size_t ChoiceList::choiceOf(const std::string& id) { return choiceIn(snapshot(), id); }

K4Ip::Discovered ChoiceList::freshRadio(const std::string& id) const {
    const Snapshot fresh = take();
    const size_t choice = choiceIn(fresh, id);
    if (choice == 0) return K4Ip::Discovered();
    return fresh.radios[choice - 1].renamed(fresh.names[choice - 1]);
}

}  // namespace chooser
