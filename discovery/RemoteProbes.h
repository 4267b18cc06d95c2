// The probe of a run's remote addresses. Their entries may be names, and a
// name service can take seconds or never answer, so the entries are looked up
// on a thread of their own that nobody waits for: start and stop return at
// once whatever the name service does, and a radio reached through a slow
// name is simply listed later.
//
// Concurrency: the lookup thread holds only a weak reference to the run. It
// looks the entries up one after the other in the order of the text and
// hands each endpoint to the run as soon as it is known (UdpSender::send is
// safe from any thread); it ends after its last entry, or at the first entry
// after the run has ended.
#pragma once

#include <memory>
#include <string>

#include "discovery/Targets.h"
#include "discovery/UdpSender.h"

namespace K4Ip {

// Starts the lookup thread when the address text has any entry.
void probeRemoteAddresses(const std::shared_ptr<UdpSender>& run, Datagram probe, const std::string& addresses,
                          const std::string& port, NameLookup lookup);

}  // namespace K4Ip
