#include "Evidence.h"

namespace soak {
namespace {

constexpr long long kPollAnswerBytes = 41;  // FA, FB, FT, MD and MD$ answers
constexpr long kStalledBytes = 1024;        // polls of 16 bytes every 2 s leave some 60 in 8 s

}  // namespace

std::string missingProof(const FaultKind& kind, const EpisodeFacts& f) {
    using Proof = FaultKind::Proof;
    switch (kind.proof) {
    case Proof::renewed:
        if (f.atOn.open == 0) return "no connection was open when it began";
        return f.atEnd.opened > f.atOn.opened ? "" : "the link was not renewed";
    case Proof::unanswered:
        if (f.atOff.received <= f.atOn.received) return "the radio read nothing during it";
        return f.atOff.sent == f.atOn.sent ? "" : "the radio answered during it";
    case Proof::delivered:
        return f.atOff.sent - f.atOn.sent >= kPollAnswerBytes ? "" : "the radio delivered no poll's answers during it";
    case Proof::injected:
        return f.injectedConnections > 0 ? "" : "no connection was open to take the bytes";
    case Proof::knobbed:
        return f.faultKnobSeen ? "" : "no Set reached the radio during it";
    case Proof::listed:
        return f.listAbnormal ? "" : "the chooser's list never showed it";
    case Proof::chosen:
        if (!f.spareBound) return "the spare radio was not bound with S_OK";
        return f.spareKeyAbsent ? "" : "its id was saved in the settings";
    }
    return "unknown proof";
}

std::string linkNotKept(const FaultKind& kind, const EpisodeFacts& facts) {
    if (!kind.has(FaultKind::keepsLink) || facts.atEnd.opened == facts.atOn.opened) return {};
    return "the link was renewed during " + std::string(kind.name) + " (k4sim counted " +
           std::to_string(facts.atEnd.opened - facts.atOn.opened) + " new connection(s)): a needless reconnect";
}

bool writesStalled(const EpisodeFacts& facts) { return facts.unread >= kStalledBytes; }

}  // namespace soak
