// The host's IQbRigIO over a real Win32 serial port, as the logger lends it
// to a serial rig: WriteChars writes the VARIANT's bytes, ReadChars returns
// whatever the port has received since the previous call, without waiting.
#pragma once

#include <string>

#include "com/Interfaces.h"
#include "com/ObjectRoot.h"

namespace qbhost {

class SerialPortIO : public com::ObjectRoot, public IQbRigIO {
public:
    static const com::InterfaceTable<SerialPortIO>& interfaces();

    // Opens the port (e.g. "COM5") at 38400 baud, 8N1, with reads that
    // return at once; 0 once open, otherwise the system's error code.
    DWORD open(const std::string& port);
    void finalRelease();

    HRESULT STDMETHODCALLTYPE WriteChars(VARIANT Chars, LONG* pCommError) override;
    HRESULT STDMETHODCALLTYPE ReadChars(VARIANT* pReceived, LONG* pCommError) override;

private:
    HANDLE port_ = INVALID_HANDLE_VALUE;
};

}  // namespace qbhost
