#include "core/RigBase.h"

#include "com/Guard.h"
#include "core/Commands.h"
#include "core/ResponseParser.h"
#include "core/SetGate.h"
#include "log/LogTrail.h"

namespace {

constexpr LONG kPollHint = 10;
constexpr LONG kXmitHint = 5;
constexpr LONG kNothingExpected = -1;

}  // namespace

CQbRigBase::CQbRigBase(platform::Clock clock) : state_(std::make_shared<K4State>()), clock_(std::move(clock)) {}

// What the pending poll has brought is applied first, so that the Set's
// values are the last word.
HRESULT CQbRigBase::Set(double Xmit, double Rcv, SHORT Mode, SHORT PrimaryVFO, SHORT Split, LONG* pTime) {
    return com::guard([&] {
        if (logging())
            log_->writeDetails(instanceNumber_, "RigBase::Set",
                               [&] { return k4command::setDetails(Xmit, Rcv, Mode, Split); });
        const bool sent = writeCommandString(k4command::setSequence(*state_, Xmit, Rcv, Mode, Split));
        ++setInProgress_;
        setTime_ = clock_();
        noteQuerySent(sent, setTime_);
        held_.applyTo(*state_);
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

// While a Set awaits its "KS", Launch takes in what the radio has sent, so
// that the gate meets the answers from before the Set and the poll goes out
// at the first tick after the "KS" (left unread until the set time-out
// opened the gate, they would undo the Set on the display). Once a poll's
// answer has begun (bytes the client holds count), Launch sends nothing and
// leaves the hint 10 until its last answer is in, so that a host that
// follows the hints takes the rest in at once. A Launch that gives the link
// up leaves 10 as well: the host's next Check tells it.
HRESULT CQbRigBase::Launch(LONG* pTime) {
    *pTime = kNothingExpected;
    return com::guard([&] {
        const platform::Nanos now = clock_();
        const bool linkLost = superviseLink();
        if (!linkLost && setInProgress_ != 0 && collectReceivedBytes()) takeInResponses();
        forgetTimedOutSet(now);
        expirePoll(now);
        if (pollPending_ && radioBytesWaiting()) answerBegun_ = true;  // the client has them: they have come
        if (setInProgress_ != 0) logMessage("Launch-skip");
        else if (!pollPending_) sendPoll(pTime);
        if (linkLost || (setInProgress_ == 0 && answerUnderway(now))) *pTime = kPollHint;
        return S_OK;
    });
}

void CQbRigBase::forgetTimedOutSet(platform::Nanos now) {
    if (!setHasTimedOut(now)) return;
    const uint32_t cleared = static_cast<uint32_t>(setInProgress_);
    if (logging())
        log_->writeDetails(instanceNumber_, "Launch setInProgress timeout",
                           [cleared] { return "setInProgress=" + std::to_string(cleared); });
    setInProgress_ = 0;
}

void CQbRigBase::sendPoll(LONG* pTime) {
    const bool sent = writeCommandString(k4command::kPoll);
    *pTime = kPollHint;
    bytesSincePoll_ = 0;
    pollTime_ = clock_();
    pollPending_ = true;
    answerBegun_ = false;
    pollAnswered_ = false;
    noteQuerySent(sent, pollTime_);
}

HRESULT CQbRigBase::Check(LONG* pTime) {
    *pTime = kNothingExpected;
    return com::guard([&] { return collectReceivedBytes() ? drainResponses(pTime) : E_FAIL; });
}

HRESULT CQbRigBase::drainResponses(LONG* pTime) {
    const platform::Nanos now = clock_();
    if (setHasTimedOut(now)) setInProgress_ = 0;
    const bool processed = takeInResponses();
    expirePoll(now);
    const size_t size = rxBuffer_.size();
    const bool moreExpected =
        (bytesSincePoll_ == 0 && rigtiming::isWithin(now, pollTime_, rigtiming::kFirstAnswerWait)) || processed ||
        size != lastBufferSize_ || answerUnderway(now);
    if (moreExpected) {
        *pTime = kPollHint;
        lastBufferSize_ = size;
    } else {
        lastBufferSize_ = 0;
    }
    rxBuffer_.keepNewest(rigtiming::kReceiveCap);
    return S_OK;
}

// Every complete response in the receive buffer, in order; true when there
// was any. A "KS" among them that a timed-out Set's gate no longer awaits
// closes the gate again in front of the answers before it.
bool CQbRigBase::takeInResponses() {
    setInProgress_ += lateConfirmations(setInProgress_, rxBuffer_.unread());
    bool processed = false;
    for (std::string response = getNextCommandResponse(); !response.empty();
         response = getNextCommandResponse()) {
        processed = true;
        bytesSincePoll_ += response.size();
        processResponse(response, state_);
    }
    return processed;
}

HRESULT CQbRigBase::Xmit(LONG State, LONG* pTime) {
    *pTime = kXmitHint;
    return com::guard([&] {
        noteXmit(State, writeCommandString(k4command::xmitCommand(State)));
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
        if (answerUnderway(clock_())) *pTime = kPollHint;
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

// Answers the gate skips never enter the hold; a skipped "MD$" still ends
// the poll, whose other answers a Set has overtaken.
void CQbRigBase::processResponse(const std::string& response, std::shared_ptr<K4State> state) {
    const ResponseParts parts = separateStrayBytes(response);
    if (!parts.stray.empty()) logText("dropped stray", parts.stray);
    const std::string& answer = parts.answer;
    noteRadioAnswer(answer);
    if (passSetGate(setInProgress_, answer) == GateVerdict::Skip) {
        logText("skipped", answer);
        if (pollPending_ && isPollEnd(answer)) {
            pollPending_ = false;
            held_.drop();
        }
        return;
    }
    if (pollPending_) return holdPollAnswer(answer, *state);
    if (applyResponse(*state, answer) == ParseResult::Malformed) logText("malformed", answer);
}

// An answer is tried on a copy of the state, so that a malformed one is
// logged as it arrives and never held.
void CQbRigBase::holdPollAnswer(const std::string& answer, K4State& state) {
    K4State trial = state;
    const ParseResult result = applyResponse(trial, answer);
    if (result == ParseResult::Malformed) logText("malformed", answer);
    if (result == ParseResult::Malformed || result == ParseResult::Ignored) return;
    held_.hold(answer);
    if (result != ParseResult::PollComplete) return;
    held_.applyTo(state);
    pollPending_ = false;
}

void CQbRigBase::expirePoll(platform::Nanos now) {
    if (!pollPending_ || !rigtiming::hasElapsed(now, pollTime_, rigtiming::kPollTimeout)) return;
    pollPending_ = false;
    resolveHeldPoll();
}

// A poll that ends without its "MD$" counts only when it brought a whole
// reading (FA, FB, FT and MD): the radio had that state.
void CQbRigBase::resolveHeldPoll() {
    if (held_.empty()) return;
    if (held_.isComplete()) held_.applyTo(*state_);
    else logText("dropped incomplete poll", held_.drop());
}

bool CQbRigBase::answerUnderway(platform::Nanos now) const {
    return pollPending_ && answerBegun_ && !rigtiming::hasElapsed(now, pollTime_, rigtiming::kPollTimeout);
}

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
