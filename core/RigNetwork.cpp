#include "core/RigNetwork.h"

#include "com/Guard.h"
#include "core/Commands.h"
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

// A link whose radio no longer reads is reset rather than closed in order:
// the system would otherwise go on offering the radio what it holds for it
// ("TX;" among it) until the radio reads again.
void CQbRig::finalRelease() {
    if (!radioIsReading()) client_.abandon();
    client_.stop();
    logLinkException();
    logDroppedUnsent();
}

// The one place where command texts leave for the radio.
bool CQbRig::writeCommandString(const std::string& text) {
    const bool sent = client_.send(text);
    logText("writeCommandString", text);
    if (sent) {
        writeFailures_ = 0;
    } else if (++writeFailures_ >= kRefusalsBeforeReconnect) {
        writeFailures_ = 0;
        renewLink();
    }
    return sent;
}

// Once the client reports the link down, its connection has stored every
// byte it received: the complete answers among them are taken in before the
// new link's first text, so that none of them (a Set's "KS" above all) can
// count for a command sent on the new link, and the answer the radio did not
// finish is dropped. The texts the old link never wrote are dropped with it
// (the client does not carry them over) and logged here, as the client keeps
// no log. Refusals while the link is still up (a full queue) leave the link
// alone: the client gives such a link up itself, and the next run of
// refusals then finds it down.
void CQbRig::renewLink() {
    if (client_.isConnected()) return;
    logLinkException();
    acceptReceived(*client_.receive());
    finishLink();
    if (owedUnkey_ && !unkeyStillOwed(*owedUnkey_, answersOnLink())) owedUnkey_.reset();
    logDroppedUnsent();
    client_.reconnect();
    startNewLink();
    resendOwedUnkey();
}

// The new link's first text is the unkey the radio may not have had.
void CQbRig::resendOwedUnkey() {
    if (!owedUnkey_ || !client_.isConnected()) return;
    const std::string unkey = k4command::xmitCommand(0);
    const bool sent = writeCommandString(unkey);
    if (sent) logText("resent", unkey);
    owedUnkey_ = OwedUnkey{sent, queriesOnLink() + 1};
}

void CQbRig::noteXmit(LONG state, bool sent) {
    if (state != 0) owedUnkey_.reset();
    else owedUnkey_ = OwedUnkey{sent, queriesOnLink() + 1};
}

bool CQbRig::collectReceivedBytes() {
    if (!client_.isConnected()) {
        logLinkException();
        return false;
    }
    acceptReceived(*client_.receive());
    if (!radioHasGoneSilent()) return true;
    giveUpSilentLink();
    return false;
}

// Launch looks before it sends: a host that calls Check only after a
// Launch would otherwise never find the radio silent.
bool CQbRig::superviseLink() {
    if (!client_.isConnected() || !radioHasGoneSilent()) return false;
    giveUpSilentLink();
    return true;
}

// A radio that lost power or its network keeps its TCP connection open for
// minutes, and the logger would go on showing its last frequency as live.
// Its link is ended as lost instead: Check fails and the status shows it,
// and the usual run of refused sends reconnects.
void CQbRig::giveUpSilentLink() {
    logMessage("link lost: 3 polls unanswered for 6 s");
    client_.abandon();
}

void CQbRig::logLinkException() {
    if (const auto text = client_.takeException()) logText("link exception", *text);
}

void CQbRig::logDroppedUnsent() {
    for (const std::string& text : client_.takeUnsent()) logText("dropped unsent", text);
}
