#include "core/RigBase.h"

#include "com/Guard.h"
#include "core/Commands.h"
#include "core/ResponseParser.h"
#include "core/RigTiming.h"
#include "core/SetGate.h"
#include "log/LogTrail.h"

namespace {

constexpr LONG kPollHint = 10;
constexpr LONG kXmitHint = 5;
constexpr LONG kNothingExpected = -1;

}  // namespace

CQbRigBase::CQbRigBase(platform::Clock clock) : state_(std::make_shared<K4State>()), clock_(std::move(clock)) {}

HRESULT CQbRigBase::Set(double Xmit, double Rcv, SHORT Mode, SHORT PrimaryVFO, SHORT Split, LONG* pTime) {
    return com::guard([&] {
        if (logging())
            log_->writeDetails(instanceNumber_, "RigBase::Set",
                               [&] { return k4command::setDetails(Xmit, Rcv, Mode, Split); });
        writeCommandString(k4command::setSequence(*state_, Xmit, Rcv, Mode, Split));
        ++setInProgress_;
        setTime_ = clock_();
        state_->mode = Mode;
        state_->vfoA = Rcv;
        if (Split != 0) {
            state_->vfoB = Xmit;
            state_->splitChar = '1';
        } else {
            state_->splitChar = '0';
        }
        state_->primaryVfo = PrimaryVFO;
        return S_OK;
    });
}

HRESULT CQbRigBase::Launch(LONG* pTime) {
    *pTime = kNothingExpected;
    return com::guard([&] {
        const platform::Nanos now = clock_();
        if (setHasTimedOut(now)) {
            const uint32_t cleared = static_cast<uint32_t>(setInProgress_);
            if (logging())
                log_->writeDetails(instanceNumber_, "Launch setInProgress timeout",
                                   [cleared] { return "setInProgress=" + std::to_string(cleared); });
            setInProgress_ = 0;
        }
        if (pollPending_ && rigtiming::hasElapsed(now, pollTime_, rigtiming::kPollTimeout)) pollPending_ = false;
        if (setInProgress_ != 0) {
            if (logging()) log_->writeMessage(instanceNumber_, "Launch-skip");
        } else if (!pollPending_) {
            sendPoll(pTime);
        }
        return S_OK;
    });
}

void CQbRigBase::sendPoll(LONG* pTime) {
    if (writeCommandString(k4command::kPoll) && unansweredPolls_ < rigtiming::kSilentPolls) ++unansweredPolls_;
    *pTime = kPollHint;
    bytesSincePoll_ = 0;
    pollTime_ = clock_();
    pollPending_ = true;
}

HRESULT CQbRigBase::Check(LONG* pTime) {
    *pTime = kNothingExpected;
    return com::guard([&] { return collectReceivedBytes() ? drainResponses(pTime) : E_FAIL; });
}

HRESULT CQbRigBase::drainResponses(LONG* pTime) {
    const platform::Nanos now = clock_();
    if (setHasTimedOut(now)) setInProgress_ = 0;
    bool processed = false;
    for (std::string response = getNextCommandResponse(); !response.empty();
         response = getNextCommandResponse()) {
        processed = true;
        bytesSincePoll_ += response.size();
        processResponse(response, state_);
    }
    const size_t size = rxBuffer_.size();
    const bool moreExpected =
        (bytesSincePoll_ == 0 && rigtiming::isWithin(now, pollTime_, rigtiming::kFirstAnswerWait)) || processed ||
        size != lastBufferSize_;
    if (moreExpected) {
        *pTime = kPollHint;
        lastBufferSize_ = size;
    } else {
        lastBufferSize_ = 0;
    }
    rxBuffer_.keepNewest(rigtiming::kReceiveCap);
    return S_OK;
}

HRESULT CQbRigBase::Xmit(LONG State, LONG* pTime) {
    *pTime = kXmitHint;
    return com::guard([&] {
        writeCommandString(k4command::xmitCommand(State));
        return S_OK;
    });
}

HRESULT CQbRigBase::ClearRIT() {
    return com::guard([&] {
        writeCommandString(k4command::kClearRit);
        return S_OK;
    });
}

HRESULT CQbRigBase::TuneFrequency(LONG Amount, LONG* pTime) {
    *pTime = kNothingExpected;
    return com::guard([&] {
        writeCommandString(k4command::tuneCommand(Amount));
        if (logging())
            log_->writeDetails(instanceNumber_, "RigBase::TuneFrequency", [Amount] { return std::to_string(Amount); });
        return S_OK;
    });
}

HRESULT CQbRigBase::GetFrequency(double* pXmit, double* pRcv, SHORT* pMode, SHORT* pPrimaryVFO, SHORT* pSplit) {
    const K4State& state = *state_;
    *pMode = static_cast<SHORT>(state.mode);
    *pRcv = state.vfoA;
    *pXmit = state.vfoA;
    *pPrimaryVFO = state.primaryVfo;
    *pSplit = 0;
    if (state.splitChar == '1') {
        *pXmit = state.vfoB;
        *pSplit = 1;
    }
    return S_OK;
}

std::string CQbRigBase::getNextCommandResponse() {
    std::string response = rxBuffer_.takeResponse();
    if (!response.empty() && logging())
        log_->writeMessage(instanceNumber_, "getNextCommandResponse=\"" + response + "\"");
    return response;
}

void CQbRigBase::processResponse(const std::string& response, std::shared_ptr<K4State> state) {
    const ResponseParts parts = separateStrayBytes(response);
    if (!parts.stray.empty()) logText("dropped stray", parts.stray);
    const std::string& answer = parts.answer;
    if (passSetGate(setInProgress_, answer) == GateVerdict::Skip) {
        logText("skipped", answer);
        return;
    }
    const ParseResult result = applyResponse(*state, answer);
    if (result == ParseResult::PollComplete) pollPending_ = false;
    if (result == ParseResult::Malformed) logText("malformed", answer);
}

void CQbRigBase::acceptReceived(const std::vector<char>& bytes) {
    if (bytes.empty()) return;
    unansweredPolls_ = 0;
    if (logging()) log_->writeBytes(instanceNumber_, "Check", bytes);
    rxBuffer_.append(bytes.data(), bytes.size());
}

void CQbRigBase::dropUnfinishedResponse() {
    const std::string dropped = rxBuffer_.dropUnfinished();
    if (!dropped.empty()) logText("dropped", dropped);
}

bool CQbRigBase::radioHasGoneSilent() const { return rigtiming::radioIsSilent(unansweredPolls_, clock_(), pollTime_); }

void CQbRigBase::logText(const char* message, const std::string& text) {
    if (logging()) log_->writeText(instanceNumber_, message, text, true);
}

void CQbRigBase::logMessage(const char* message) {
    if (logging()) log_->writeMessage(instanceNumber_, message);
}

bool CQbRigBase::setHasTimedOut(platform::Nanos now) const {
    return setInProgress_ != 0 && rigtiming::hasElapsed(now, setTime_, rigtiming::kSetTimeout);
}

bool CQbRigBase::logging() const { return log_ && log_->isOpen(); }
