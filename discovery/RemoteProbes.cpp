#include "discovery/RemoteProbes.h"

#include <utility>
#include <vector>

#include "platform/DetachedThread.h"

namespace K4Ip {
namespace {

void lookUpAndProbe(const std::weak_ptr<UdpSender>& run, const Datagram& probe,
                    const std::vector<std::string>& entries, const std::string& port, const NameLookup& lookup) {
    for (const auto& entry : entries) {
        if (run.expired()) return;
        const auto target = lookup(entry, port);
        if (!target) continue;  // an entry that does not resolve is skipped
        LocalUdpEndpoint single;
        single.append(*target);
        const auto sender = run.lock();
        if (!sender || !sender->send(probe, single)) return;
    }
}

}  // namespace

void probeRemoteAddresses(const std::shared_ptr<UdpSender>& run, Datagram probe, const std::string& addresses,
                          const std::string& port, NameLookup lookup) {
    auto entries = splitAddressList(addresses);
    if (entries.empty()) return;
    platform::runDetached([run = std::weak_ptr<UdpSender>(run), probe = std::move(probe),
                           entries = std::move(entries), port, lookup = std::move(lookup)] {
        lookUpAndProbe(run, probe, entries, port, lookup);
    });
}

}  // namespace K4Ip
