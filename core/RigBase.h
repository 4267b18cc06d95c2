// The part of a rig object that both variants share: the radio state, the
// poll cycle, the set-in-progress gate, the commands and their log entries.
// A variant supplies how a command text reaches the radio
// (writeCommandString) and how received bytes come back
// (collectReceivedBytes, the first step of Check).
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
#include "core/ReceiveBuffer.h"
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

    // Sends one command text to the radio; false when it was dropped. The
    // callers ignore the result.
    virtual bool writeCommandString(const std::string& text) = 0;
    // Hands the bytes that arrived since the previous Check to
    // acceptReceived; false when the rig has no link to collect from.
    virtual bool collectReceivedBytes() = 0;
    // The front response of the receive buffer, ';' included; empty when no
    // complete response has arrived.
    virtual std::string getNextCommandResponse();
    // Passes one response through the set-in-progress gate and the parser.
    virtual void processResponse(const std::string& response, std::shared_ptr<K4State> state);

    void acceptReceived(const std::vector<char>& bytes);
    // Three polls in a row have gone unanswered, the last past its time-out,
    // and not a byte has come from the radio since the first.
    bool radioHasGoneSilent() const;
    // A new link starts with no poll unanswered.
    void forgetUnansweredPolls() { unansweredPolls_ = 0; }
    // Before a new link to the radio: the start of an answer that the old
    // link never finished must not be joined to the new link's first one.
    void dropUnfinishedResponse();
    void logText(const char* message, const std::string& text);
    void logMessage(const char* message);

private:
    HRESULT drainResponses(LONG* pTime);
    void sendPoll(LONG* pTime);
    bool setHasTimedOut(platform::Nanos now) const;
    bool logging() const;

    std::shared_ptr<LogTrail> log_;
    int32_t instanceNumber_ = 0;
    uint16_t slot_ = 0;
    size_t lastBufferSize_ = 0;
    ReceiveBuffer rxBuffer_;
    std::shared_ptr<K4State> state_;
    platform::Nanos pollTime_ = 0;
    bool pollPending_ = false;
    int32_t setInProgress_ = 0;
    platform::Nanos setTime_ = 0;
    uint64_t bytesSincePoll_ = 0;  // only whether it is 0 matters; 64 bits cannot wrap back to 0
    unsigned unansweredPolls_ = 0;  // polls the link took since the radio last sent a byte
    platform::Clock clock_;
};
