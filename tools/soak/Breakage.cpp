#include "Breakage.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "com/ObjectRoot.h"
#include "platform/Profile.h"
#include "settings/Settings.h"

namespace soak {

struct Breakage::State {
    BreakKind kind = BreakKind::none;
    std::set<short> faultedSlots;  // slots with a fault episode under way
    std::vector<std::unique_ptr<char[]>> leaked;  // (d)
    com::ComPtr<IRadioChooser> chooser;           // the driver's own, for a rig made afresh (m)
    bool released = false;                        // a rig was let go (n)
    bool has(BreakKind k) const { return kind == k; }
};

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kFailEveryChecks = 29;
constexpr std::size_t kLeakBytes = 3 * 1024;
constexpr auto kStaleAfter = 1.5s;
constexpr auto kKeyAgainAfter = 1s;
constexpr auto kSlowPolls = 1.9s;
constexpr auto kHangingRelease = 6s;
constexpr double kSetOffKHz = 1.0;

struct Frequency {
    double xmit = 0, rcv = 0;
    SHORT mode = 0, primary = 0, split = 0;
};

class BrokenRig : public com::ObjectRoot, public IQbRig {
public:
    BrokenRig(com::ComPtr<IQbRig> rig, short slot, std::shared_ptr<Breakage::State> state)
        : rig_(std::move(rig)), slot_(slot), state_(std::move(state)) {}
    ~BrokenRig() override {
        if (state_->has(BreakKind::hangingRelease) && !std::exchange(state_->released, true))
            std::this_thread::sleep_for(kHangingRelease);
    }

    static const com::InterfaceTable<BrokenRig>& interfaces() {
        static const com::InterfaceEntry<BrokenRig> entries[] = {com::interfaceEntry<BrokenRig, IQbRig>(IID_IQbRig)};
        static const com::InterfaceTable<BrokenRig> table{entries};
        return table;
    }

    HRESULT STDMETHODCALLTYPE PutCommPort(IQbRigIO* io, LONG index) override { return rig_->PutCommPort(io, index); }
    HRESULT STDMETHODCALLTYPE Set(double xmit, double rcv, SHORT mode, SHORT primary, SHORT split, LONG* time) override {
        beforeSet_ = last_;
        setAt_ = Clock::now();
        staleDue_ = state_->has(BreakKind::stalePoll);
        if (state_->has(BreakKind::unstalledWrites) && faulted()) return S_OK;
        if (state_->has(BreakKind::setOff)) xmit += kSetOffKHz, rcv += kSetOffKHz;
        if (state_->has(BreakKind::rejectedCommand)) rig_->Set(xmit, rcv, 0, primary, split, time);
        return rig_->Set(xmit, rcv, mode, primary, split, time);
    }
    HRESULT STDMETHODCALLTYPE Launch(LONG* time) override {
        keyAgainIfDue();
        if (state_->has(BreakKind::needlessReconnect)) connectAgainOnFault();
        const bool slowHeld = state_->has(BreakKind::slowPolls) && Clock::now() - lastLaunch_ < kSlowPolls;
        if (slowHeld || (state_->has(BreakKind::stalledPolls) && faulted())) {
            *time = -1;
            return S_OK;
        }
        lastLaunch_ = Clock::now();
        return rig_->Launch(time);
    }
    HRESULT STDMETHODCALLTYPE Check(LONG* time) override {
        keyAgainIfDue();
        if (state_->has(BreakKind::hiddenFailure) && ++checks_ % kFailEveryChecks == 0) {
            *time = -1;
            return E_FAIL;
        }
        const HRESULT hr = rig_->Check(time);
        if (state_->has(BreakKind::keyAfterReconnect) && hr == S_OK && std::exchange(failed_, false)) {
            LONG ignored = 0;
            rig_->Xmit(1, &ignored);
        }
        failed_ = failed_ || hr == E_FAIL;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Xmit(LONG on, LONG* time) override {
        if (on == 0 && state_->has(BreakKind::keyAfterUnkey)) keyAgainAt_ = Clock::now() + kKeyAgainAfter;
        return rig_->Xmit(on, time);
    }
    HRESULT STDMETHODCALLTYPE ClearRIT() override { return rig_->ClearRIT(); }
    HRESULT STDMETHODCALLTYPE TuneFrequency(LONG amount, LONG* time) override {
        return rig_->TuneFrequency(state_->has(BreakKind::stepsReversed) ? -amount : amount, time);
    }
    HRESULT STDMETHODCALLTYPE GetFrequency(double* xmit, double* rcv, SHORT* mode, SHORT* primary, SHORT* split) override {
        Frequency now;
        const HRESULT hr = rig_->GetFrequency(&now.xmit, &now.rcv, &now.mode, &now.primary, &now.split);
        frozen_ = frozen_ || (state_->has(BreakKind::deadReceive) && faulted());
        if (frozen_) {
            now = last_;  // the receive path died with the fault: nothing new is applied
        } else if (staleDue_ && Clock::now() - setAt_ >= kStaleAfter) {
            staleDue_ = false;
            now = beforeSet_;  // an answer from before the Set overwrote it
        }
        last_ = now;
        *xmit = now.xmit, *rcv = now.rcv, *mode = now.mode, *primary = now.primary, *split = now.split;
        return hr;
    }

private:
    bool faulted() const { return state_->faultedSlots.count(slot_) > 0; }

    void keyAgainIfDue() {
        if (!keyAgainAt_ || Clock::now() < *keyAgainAt_) return;
        keyAgainAt_.reset();
        LONG ignored = 0;
        rig_->Xmit(1, &ignored);
    }

    // As a fault begins, a second rig object is made for the slot from its
    // saved choice and let go: a connection the fault gave no cause for.
    void connectAgainOnFault() {
        if (!faulted()) {
            connectedAgain_ = false;
            return;
        }
        if (std::exchange(connectedAgain_, true)) return;
        com::ComPtr<IQbRig> extra;
        state_->chooser->GetRigObject(0, -1, slot_, extra.receive());
    }

    com::ComPtr<IQbRig> rig_;
    const short slot_;
    std::shared_ptr<Breakage::State> state_;
    Frequency last_, beforeSet_;
    Clock::time_point setAt_{}, lastLaunch_{};
    std::optional<Clock::time_point> keyAgainAt_;
    bool staleDue_ = false, frozen_ = false, failed_ = false, connectedAgain_ = false;
    long checks_ = 0;
};

class BrokenChooser : public com::ObjectRoot, public IRadioChooser {
public:
    explicit BrokenChooser(std::shared_ptr<Breakage::State> state) : state_(std::move(state)) {}

    static const com::InterfaceTable<BrokenChooser>& interfaces() {
        static const com::InterfaceEntry<BrokenChooser> entries[] = {
            com::interfaceEntry<BrokenChooser, IRadioChooser>(IID_IRadioChooser)};
        static const com::InterfaceTable<BrokenChooser> table{entries};
        return table;
    }

    HRESULT STDMETHODCALLTYPE GetNumChoices(LONG index, SHORT clearCache, SHORT* count) override {
        const HRESULT hr = state_->chooser->GetNumChoices(index, clearCache, count);
        radios_ = static_cast<SHORT>(*count - 1);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetRadioName(LONG index, SHORT radio, BSTR* name) override {
        return state_->chooser->GetRadioName(index, radio, name);
    }
    HRESULT STDMETHODCALLTYPE GetSavedChoice(LONG index, SHORT slot, SHORT* saved) override {
        return state_->chooser->GetSavedChoice(index, slot, saved);
    }
    HRESULT STDMETHODCALLTYPE GetRigObject(LONG index, SHORT choice, SHORT slot, IQbRig** out) override {
        if (state_->has(BreakKind::wrongRecord) && choice >= 1 && radios_ > 0) choice = static_cast<SHORT>(choice % radios_ + 1);
        com::ComPtr<IQbRig> rig;
        const HRESULT hr = state_->chooser->GetRigObject(index, choice, slot, rig.receive());
        if (state_->has(BreakKind::choiceNotSaved)) {
            const std::string key = "K4Slot" + std::to_string(slot + 1);
            WritePrivateProfileStringA(settings::kSection, key.c_str(), nullptr, settings::kFile);
        }
        *out = nullptr;
        if (!rig) return hr;
        HRESULT made = S_OK;
        auto* broken = com::ComObject<BrokenRig>::create(&made, rig, slot, state_);
        if (!broken) return made;
        *out = broken;
        return hr;
    }

private:
    std::shared_ptr<Breakage::State> state_;
    SHORT radios_ = 0;
};

}  // namespace

void addExceptionEntry(const std::string& logPath) {
    std::ofstream(logPath, std::ios::binary | std::ios::app) << "  1     0 link exception \"added by --break q\"\n";
}

BreakKind breakKindFrom(const std::string& letter) {
    if (letter.empty()) return BreakKind::none;
    if (letter.size() != 1 || letter[0] < 'a' || letter[0] > 'r') throw std::invalid_argument("--break takes a to r");
    return static_cast<BreakKind>(letter[0] - 'a' + 1);
}

Breakage::Breakage(BreakKind kind) : state_(std::make_shared<State>()) { state_->kind = kind; }

Breakage::~Breakage() = default;

BreakKind Breakage::kind() const { return state_->kind; }

com::ComPtr<IRadioChooser> Breakage::wrap(IRadioChooser* chooser) {
    state_->chooser = com::ComPtr<IRadioChooser>::retain(chooser);
    if (state_->kind == BreakKind::none || state_->kind == BreakKind::leak || state_->kind == BreakKind::noLog ||
        state_->kind == BreakKind::exceptionEntry)
        return state_->chooser;
    HRESULT hr = S_OK;
    auto* broken = com::ComObject<BrokenChooser>::create(&hr, state_);
    if (!broken) throw std::runtime_error("the breaking chooser could not be made");
    return com::ComPtr<IRadioChooser>::adopt(broken);
}

void Breakage::faultBegins(short slot) { state_->faultedSlots.insert(slot); }

void Breakage::episodeEnded(short slot) {
    state_->faultedSlots.erase(slot);
    if (state_->kind != BreakKind::leak) return;
    state_->leaked.push_back(std::make_unique<char[]>(kLeakBytes));
    std::memset(state_->leaked.back().get(), 0x5a, kLeakBytes);  // touched, so that it is resident
}

}  // namespace soak
