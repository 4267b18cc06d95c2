#include "core/RigSerial.h"

#include "core/SerialTransfer.h"

CQbRigSerial::CQbRigSerial(platform::Clock clock) : CQbRigBase(std::move(clock)) {}

const com::InterfaceTable<CQbRigSerial>& CQbRigSerial::interfaces() {
    static const com::InterfaceEntry<CQbRigSerial> entries[] = {
        com::interfaceEntry<CQbRigSerial, IQbRig>(IID_IQbRig)};
    static const com::InterfaceTable<CQbRigSerial> table{entries};
    return table;
}

HRESULT CQbRigSerial::PutCommPort(IQbRigIO* pRigIO, LONG Index) {
    if (pRigIO != rigIO_.get()) rigIO_ = com::ComPtr<IQbRigIO>::retain(pRigIO);
    return S_OK;
}

void CQbRigSerial::finalRelease() { rigIO_.reset(); }

// The port is held by a local reference for the duration of each call, so a
// host that detaches it from inside WriteChars or ReadChars cannot pull it
// away under the call.
bool CQbRigSerial::writeCommandString(const std::string& text) {
    if (text.empty()) return true;
    const com::ComPtr<IQbRigIO> port = rigIO_;
    if (!port) return false;
    {
        serialtransfer::OwnedVariant chars;
        if (FAILED(serialtransfer::makeByteArray(text, chars.get()))) return false;
        LONG commError = 0;
        port->WriteChars(*chars, &commError);
    }
    logText("writeCommandString", text);
    return true;
}

bool CQbRigSerial::collectReceivedBytes() {
    const com::ComPtr<IQbRigIO> port = rigIO_;
    if (!port) return false;
    serialtransfer::OwnedVariant received;
    LONG commError = 0;
    port->ReadChars(received.get(), &commError);
    acceptReceived(serialtransfer::bytesOf(*received));
    return true;
}
