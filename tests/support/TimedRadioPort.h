// A radio behind the host's serial port, on a test's clock: every text the
// rig writes goes to the radio's handler, which schedules the radio's bytes
// for later moments; each ReadChars returns the bytes due by the clock's
// reading. Bytes leave in the order they were scheduled, as on a line: a
// late part holds back everything behind it.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "com/ObjectRoot.h"
#include "platform/SteadyClock.h"

namespace testsupport {

class TimedRadioPort : public com::ObjectRoot, public IQbRigIO {
public:
    using Ptr = com::ComPtr<com::ComObject<TimedRadioPort>>;
    using Radio = std::function<void(const std::string& text, platform::Nanos now, TimedRadioPort& port)>;

    static const com::InterfaceTable<TimedRadioPort>& interfaces();
    static Ptr create(platform::Clock clock, Radio radio);

    HRESULT STDMETHODCALLTYPE WriteChars(VARIANT Chars, LONG* pCommError) override;
    HRESULT STDMETHODCALLTYPE ReadChars(VARIANT* pReceived, LONG* pCommError) override;

    void sendAt(platform::Nanos due, std::string bytes);

private:
    struct Part {
        platform::Nanos due;
        std::string bytes;
    };

    platform::Clock clock_;
    Radio radio_;
    std::deque<Part> parts_;
};

}  // namespace testsupport
