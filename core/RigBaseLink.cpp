// The rig's watch over its radio and link, shared by both variants: what
// came from the radio and when, the queries sent and answered on the present
// link, and the end of a link before a new one (the network variant decides
// with these when to give a link up, how to close it, and whether an unkey
// is still owed).
#include "core/RigBase.h"

#include "core/ResponseParser.h"
#include "core/SetGate.h"
#include "log/LogTrail.h"

void CQbRigBase::noteQuerySent(bool sent, platform::Nanos at) {
    if (!sent) return;
    ++linkQueries_;
    rigtiming::notePollSent(silence_, at);
}

void CQbRigBase::noteRadioAnswer(const std::string& answer) {
    if (isPollEnd(answer)) pollAnswered_ = true;
    if (isPollEnd(answer) || isSetConfirmation(answer)) ++linkAnswers_;
}

void CQbRigBase::acceptReceived(const std::vector<char>& bytes) {
    if (bytes.empty()) return;
    rigtiming::noteByteReceived(silence_);
    anyByte_ = true;
    lastByte_ = clock_();
    if (pollPending_) answerBegun_ = true;
    if (logging()) log_->writeBytes(instanceNumber_, "Check", bytes);
    rxBuffer_.append(bytes.data(), bytes.size());
}

bool CQbRigBase::radioHasGoneSilent() {
    if (radioBytesWaiting()) {
        rigtiming::noteByteReceived(silence_);
        return false;
    }
    return rigtiming::radioIsSilent(silence_, clock_());
}

bool CQbRigBase::radioIsReading() {
    const platform::Nanos now = clock_();
    if (radioBytesWaiting()) {
        anyByte_ = true;
        lastByte_ = now;
    }
    return rigtiming::radioIsReading({anyByte_, lastByte_, !pollAnswered_, pollTime_}, now);
}

void CQbRigBase::finishLink() {
    takeInResponses();
    const std::string dropped = rxBuffer_.dropUnfinished();
    if (!dropped.empty()) logText("dropped", dropped);
    if (pollPending_) {
        pollPending_ = false;
        resolveHeldPoll();
    }
    if (setInProgress_ != 0) {
        const uint32_t cleared = static_cast<uint32_t>(setInProgress_);
        if (logging())
            log_->writeDetails(instanceNumber_, "Link renewed setInProgress cleared",
                               [cleared] { return "setInProgress=" + std::to_string(cleared); });
        setInProgress_ = 0;
    }
}

void CQbRigBase::startNewLink() {
    silence_ = rigtiming::SilenceWatch{};
    linkQueries_ = 0;
    linkAnswers_ = 0;
}
