// The part of a rig object that both variants share: the radio state, the
// poll cycle, the set-in-progress gate, the commands and their log entries.
// A variant supplies how a command text reaches the radio
// (writeCommandString) and how received bytes come back
// (collectReceivedBytes, the first step of Check); the network variant also
// watches its link (superviseLink, radioBytesWaiting, noteXmit).
//
// Every call arrives on the host's apartment thread; the object takes no lock
// of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/Interfaces.h"
#include "com/ObjectRoot.h"
#include "core/K4State.h"
#include "core/PollHold.h"
#include "core/ReceiveBuffer.h"
#include "core/RigTiming.h"
#include "platform/SteadyClock.h"

class LogTrail;

class CQbRigBase : public com::ObjectRoot, public IQbRig {
public:
    using K4State = ::K4State;

    // Preparation by the manager, done before the host receives the rig.
    void setLog(std::shared_ptr<LogTrail> log) { log_ = std::move(log); }
    void setInstanceNumber(int32_t number) { instanceNumber_ = number; }
    void setSlot(uint16_t slot) { slot_ = slot; }
    uint16_t slot() const { return slot_; }

    HRESULT STDMETHODCALLTYPE Set(double Xmit, double Rcv, SHORT Mode, SHORT PrimaryVFO, SHORT Split,
                                  LONG* pTime) override;
    HRESULT STDMETHODCALLTYPE Launch(LONG* pTime) override;
    HRESULT STDMETHODCALLTYPE Check(LONG* pTime) override;
    HRESULT STDMETHODCALLTYPE Xmit(LONG State, LONG* pTime) override;
    HRESULT STDMETHODCALLTYPE ClearRIT() override;
    HRESULT STDMETHODCALLTYPE TuneFrequency(LONG Amount, LONG* pTime) override;
    HRESULT STDMETHODCALLTYPE GetFrequency(double* pXmit, double* pRcv, SHORT* pMode, SHORT* pPrimaryVFO,
                                           SHORT* pSplit) override;

protected:
    explicit CQbRigBase(platform::Clock clock);

    // Sends one command text to the radio; false when it was refused.
    virtual bool writeCommandString(const std::string& text) = 0;
    // Hands the bytes that arrived since the previous Check to
    // acceptReceived; false when the rig has no link to collect from.
    virtual bool collectReceivedBytes() = 0;
    // The front response of the receive buffer, ';' included; empty when no
    // complete response has arrived.
    virtual std::string getNextCommandResponse();
    // Passes one response through the set-in-progress gate and the parser;
    // while a poll is pending, its answers are held until its last one.
    virtual void processResponse(const std::string& response, std::shared_ptr<K4State> state);

    // The link's part, for the network variant. Launch lets it look at the
    // link first (true when it has just given the link up); radioBytesWaiting
    // tells of bytes received and not yet collected; noteXmit hears of every
    // Xmit and whether it was sent.
    virtual bool superviseLink() { return false; }
    virtual bool radioBytesWaiting() { return false; }
    virtual void noteXmit(LONG state, bool sent) {}

    void acceptReceived(const std::vector<char>& bytes);
    // The first poll sent after the radio's last byte is kSilenceLimit old
    // and kSilentPolls polls have gone out since; bytes waiting to be
    // collected count as received.
    bool radioHasGoneSilent();
    // The radio sent a byte recently and has left no poll unanswered for
    // long: a closing link may still deliver what it holds.
    bool radioIsReading();
    // Before a new link to the radio: the old link's complete answers are
    // taken in, the start of one it never finished is dropped, its poll
    // ends and a Set it carried is no longer awaited.
    void finishLink();
    // A new link starts with no poll sent and nothing heard on it.
    void startNewLink();
    // The queries (polls and Sets' "KS;") sent on the present link, and
    // their last answers ("MD$", "KS") received on it: the radio answers in
    // order, so more answers than queries sent before a command prove that
    // it carried the command out.
    uint64_t queriesOnLink() const { return linkQueries_; }
    uint64_t answersOnLink() const { return linkAnswers_; }
    void logText(const char* message, const std::string& text);
    void logMessage(const char* message);
    platform::Nanos now() const { return clock_(); }

private:
    HRESULT drainResponses(LONG* pTime);
    bool takeInResponses();
    void sendPoll(LONG* pTime);
    void noteQuerySent(bool sent, platform::Nanos at);
    void noteRadioAnswer(const std::string& answer);
    void holdPollAnswer(const std::string& answer, K4State& state);
    void expirePoll(platform::Nanos now);
    void resolveHeldPoll();
    bool answerUnderway(platform::Nanos now) const;
    bool setHasTimedOut(platform::Nanos now) const;
    void forgetTimedOutSet(platform::Nanos now);  // Launch's set time-out, logged
    bool logging() const;

    std::shared_ptr<LogTrail> log_;
    int32_t instanceNumber_ = 0;
    uint16_t slot_ = 0;
    size_t lastBufferSize_ = 0;
    ReceiveBuffer rxBuffer_;
    std::shared_ptr<K4State> state_;
    platform::Nanos pollTime_ = 0;
    bool pollPending_ = false;
    bool answerBegun_ = false;     // a byte was taken in since the pending poll was sent
    bool pollAnswered_ = true;     // the last poll's "MD$" has come
    PollHold held_;                // the pending poll's answers so far
    int32_t setInProgress_ = 0;
    platform::Nanos setTime_ = 0;
    uint64_t bytesSincePoll_ = 0;  // only whether it is 0 matters; 64 bits cannot wrap back to 0
    rigtiming::SilenceWatch silence_;
    bool anyByte_ = false;
    platform::Nanos lastByte_ = 0;
    uint64_t linkQueries_ = 0;
    uint64_t linkAnswers_ = 0;
    platform::Clock clock_;
};
