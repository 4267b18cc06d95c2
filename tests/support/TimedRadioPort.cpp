#include "support/TimedRadioPort.h"

#include "core/SerialTransfer.h"

namespace testsupport {

const com::InterfaceTable<TimedRadioPort>& TimedRadioPort::interfaces() {
    static const com::InterfaceEntry<TimedRadioPort> entries[] = {
        com::interfaceEntry<TimedRadioPort, IQbRigIO>(IID_IQbRigIO)};
    static const com::InterfaceTable<TimedRadioPort> table{entries};
    return table;
}

TimedRadioPort::Ptr TimedRadioPort::create(platform::Clock clock, Radio radio) {
    HRESULT hr = S_OK;
    Ptr port = Ptr::adopt(com::ComObject<TimedRadioPort>::create(&hr));
    port->clock_ = std::move(clock);
    port->radio_ = std::move(radio);
    return port;
}

HRESULT TimedRadioPort::WriteChars(VARIANT Chars, LONG* pCommError) {
    const std::vector<char> bytes = serialtransfer::bytesOf(Chars);
    radio_(std::string(bytes.begin(), bytes.end()), clock_(), *this);
    *pCommError = 0;
    return S_OK;
}

HRESULT TimedRadioPort::ReadChars(VARIANT* pReceived, LONG* pCommError) {
    std::string due;
    while (!parts_.empty() && parts_.front().due <= clock_()) {
        due += parts_.front().bytes;
        parts_.pop_front();
    }
    *pCommError = 0;
    VariantClear(pReceived);
    return serialtransfer::makeByteArray(due, pReceived);
}

void TimedRadioPort::sendAt(platform::Nanos due, std::string bytes) { parts_.push_back({due, std::move(bytes)}); }

}  // namespace testsupport
