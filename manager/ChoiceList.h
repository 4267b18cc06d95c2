// The radios of the chooser as the host last counted them. GetNumChoices
// takes a snapshot of the discovered radios; GetRadioName, GetSavedChoice and
// GetRigObject with a choice of 1 or more number the radios of that snapshot
// until the next count, so a radio that answers in between moves no number
// the host has shown (it appears at the next count). A method called before
// any count takes the snapshot itself. The shown names are built once per
// snapshot, so listing N radios costs one build, not N.
//
// Used on the host's thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "discovery/Discovered.h"
#include "manager/RadioNames.h"

namespace chooser {

class ChoiceList {
public:
    using Source = std::function<std::vector<K4Ip::Discovered>()>;
    using Namer = std::function<std::vector<std::string>(const std::vector<K4Ip::Discovered>&)>;

    explicit ChoiceList(Source source, Namer namer = radioNames);

    // Takes a new snapshot; its number of radios.
    size_t recount();
    // The number of radios of the snapshot.
    size_t count();
    // The shown name of radio `choice`, 1 to count().
    const std::string& name(size_t choice);
    // Radio `choice`, 1 to count(), carrying its shown name.
    K4Ip::Discovered radio(size_t choice);
    // The choice of the first radio with this id, or 0.
    size_t choiceOf(const std::string& id);
    // The radio with this id in a fresh list, under the name that list shows
    // it by, or an empty handle; the snapshot stays as it is.
    K4Ip::Discovered freshRadio(const std::string& id) const;

private:
    struct Snapshot {
        std::vector<K4Ip::Discovered> radios;
        std::vector<std::string> names;
    };

    Snapshot take() const;
    Snapshot& snapshot();
    static size_t choiceIn(const Snapshot& snapshot, const std::string& id);

    const Source source_;
    const Namer namer_;
    std::optional<Snapshot> snapshot_;
};

}  // namespace chooser
