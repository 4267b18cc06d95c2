#include "tools/qbhost/Transmit.h"

#include "tools/qbhost/LiveLine.h"

namespace qbhost {
namespace {

using Outcome = PollWatch::Outcome;

// Xmit, then the answer to a poll sent after it: the radio answers in the
// order it receives, so that answer shows the command taken.
Outcome xmitAnswered(IQbRig* rig, PollWatch& watch, LONG state) {
    const platform::Nanos sentAt = watch.now();
    LONG hint = 0;
    rig->Xmit(state, &hint);
    return watch.awaitAnswerSince(sentAt);
}

}  // namespace

bool unkeyConfirmed(IQbRig* rig, PollWatch& watch) {
    return xmitAnswered(rig, watch, 0) == Outcome::Answered;
}

TransmitResult transmit(IQbRig* rig, PollWatch& watch, const TransmitPlan& plan, std::ostream& out) {
    TransmitResult result;
    if (plan.hold) {
        result.keyed = xmitAnswered(rig, watch, 1);
        result.stopped = plan.stop && plan.stop();
        result.held = result.keyed == Outcome::Answered && !result.stopped;
        if (result.held) return result;
    } else {
        LONG hint = 0;
        rig->Xmit(1, &hint);
        watch.start();
        result.keyed = showLive(watch, rig, plan.seconds, plan.where, out, [&] {
            result.stopped = plan.stop && plan.stop();
            return result.stopped;
        });
    }
    result.unkeyed = unkeyConfirmed(rig, watch);
    return result;
}

}  // namespace qbhost
