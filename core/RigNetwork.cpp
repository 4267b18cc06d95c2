#include "core/RigNetwork.h"

#include "com/Guard.h"
#include "platform/Text.h"
#include "settings/Settings.h"

namespace {

// Consecutive refused sends after which the rig asks its client to reconnect.
constexpr int32_t kRefusalsBeforeReconnect = 10;

}  // namespace

CQbRig::CQbRig(platform::Clock clock) : CQbRigBase(std::move(clock)) {}

const com::InterfaceTable<CQbRig>& CQbRig::interfaces() {
    static const com::InterfaceEntry<CQbRig> entries[] = {
        com::interfaceEntry<CQbRig, IQbRigDisplayInfo>(IID_IQbRigDisplayInfo),
        com::interfaceEntry<CQbRig, IQbRig>(IID_IQbRig)};
    static const com::InterfaceTable<CQbRig> table{entries};
    return table;
}

bool CQbRig::bind(K4Ip::Discovered radio, unsigned short slot) {
    radioName_ = radio.name();
    // A client's pending operations keep it alive until it is stopped, so
    // the one being replaced is stopped first rather than left running.
    client_.stop();
    client_ = K4Ip::RigClient(radio.from().address(), settings::tcpPort(slot));
    return client_.isConnected();
}

HRESULT CQbRig::PutCommPort(IQbRigIO* pRigIO, LONG Index) { return S_OK; }

HRESULT CQbRig::GetStatusText(SHORT* pIsError, BSTR* pText) {
    *pIsError = 0;
    *pText = nullptr;
    if (client_.isConnected()) return S_OK;
    *pIsError = 1;
    return com::guard([&] {
        *pText = platform::bstrFromAnsi("Rig NULL");
        return *pText ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CQbRig::GetRigName(BSTR* pName) {
    return com::guard([&] {
        BSTR name = platform::bstrFromAnsi(radioName_);
        if (!name) return E_OUTOFMEMORY;
        *pName = name;
        return S_OK;
    });
}

void CQbRig::finalRelease() { client_.stop(); }

bool CQbRig::writeCommandString(const std::string& text) {
    const bool sent = client_.send(text);
    if (sent) {
        writeFailures_ = 0;
    } else if (++writeFailures_ >= kRefusalsBeforeReconnect) {
        renewLink();
        writeFailures_ = 0;
    }
    logText("writeCommandString", text);
    return sent;
}

// Once the client reports the link down, its connection has stored every
// byte it received: those are taken first, so that the complete answers
// among them still count, and the answer the radio did not finish is
// dropped before the new connection's bytes can follow it. The texts the old
// link never wrote are dropped with it (the client does not carry them over)
// and logged here, as the client keeps no log. Refusals while the link is
// still up (a full queue) leave the link and the unfinished answer alone:
// the client gives up such a link itself, and the next run of refusals then
// finds it down.
void CQbRig::renewLink() {
    if (client_.isConnected()) return;
    acceptReceived(*client_.receive());
    dropUnfinishedResponse();
    for (const std::string& text : client_.takeUnsent()) logText("dropped unsent", text);
    client_.reconnect();
    forgetUnansweredPolls();
}

bool CQbRig::collectReceivedBytes() {
    if (!client_.isConnected()) return false;
    if (const auto bytes = client_.receive()) acceptReceived(*bytes);
    if (!radioHasGoneSilent()) return true;
    giveUpSilentLink();
    return false;
}

// A radio that lost power or its network keeps its TCP connection open for
// minutes, and the logger would go on showing its last frequency as live.
// Its link is ended as lost instead: Check fails and the status shows it,
// and the usual run of refused sends reconnects.
void CQbRig::giveUpSilentLink() {
    logMessage("link lost: 3 polls unanswered");
    client_.abandon();
}
