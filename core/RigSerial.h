// The serial rig object: the host owns the COM port and lends the rig its
// IQbRigIO through PutCommPort; commands go out through WriteChars and the
// received bytes come back through ReadChars, one call per Check.
//
// Host thread only; the IQbRigIO calls go to the host on the same thread.
#pragma once

#include "com/ComPtr.h"
#include "core/RigBase.h"

class CQbRigSerial : public CQbRigBase {
public:
    static const com::InterfaceTable<CQbRigSerial>& interfaces();

    // Keeps the lent port (one reference of its own), releasing the one held
    // before; the same pointer again changes nothing; null detaches.
    HRESULT STDMETHODCALLTYPE PutCommPort(IQbRigIO* pRigIO, LONG Index) override;

    // Releases the lent port before the object is destroyed.
    void finalRelease();

protected:
    explicit CQbRigSerial(platform::Clock clock = platform::steadyClock());

    bool writeCommandString(const std::string& text) override;
    bool collectReceivedBytes() override;

private:
    com::ComPtr<IQbRigIO> rigIO_;
};
