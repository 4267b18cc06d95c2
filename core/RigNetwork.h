// The network rig object: reaches one K4 over TCP through a K4Ip::RigClient
// and tells the host, through IQbRigDisplayInfo, which radio it is bound to
// and whether the link is up.
//
// Concurrency: every call arrives on the host's thread. The client runs a
// network thread of its own that never touches this object; the rig calls
// the client's thread-safe operations and stops it (joining its thread) when
// the last reference goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/OwedUnkey.h"
#include "core/RigBase.h"
#include "discovery/Discovered.h"
#include "net/RigClient.h"

class CQbRig : public CQbRigBase, public IQbRigDisplayInfo {
public:
    static const com::InterfaceTable<CQbRig>& interfaces();

    // Connects to the address the radio answered discovery from, on the
    // slot's TCP port from the settings (waiting up to one second), and
    // records its name; true when the link is up. Replaces any earlier client.
    bool bind(K4Ip::Discovered radio, unsigned short slot);

    // The network rig has no use for a serial port: both arguments are ignored.
    HRESULT STDMETHODCALLTYPE PutCommPort(IQbRigIO* pRigIO, LONG Index) override;

    HRESULT STDMETHODCALLTYPE GetStatusText(SHORT* pIsError, BSTR* pText) override;
    HRESULT STDMETHODCALLTYPE GetRigName(BSTR* pName) override;

    // Stops the client, joining its network thread, before the members go.
    void finalRelease();

protected:
    explicit CQbRig(platform::Clock clock = platform::steadyClock());

    bool writeCommandString(const std::string& text) override;
    bool collectReceivedBytes() override;
    bool superviseLink() override;
    bool radioBytesWaiting() override { return client_.hasReceived(); }
    void noteXmit(LONG state, bool sent) override;

private:
    friend struct RigNetworkTestAccess;

    void renewLink();
    void resendOwedUnkey();
    void giveUpSilentLink();
    void logLinkException();
    void logDroppedUnsent();

    std::string radioName_;
    int32_t writeFailures_ = 0;
    std::optional<OwedUnkey> owedUnkey_;
    K4Ip::RigClient client_;
};
