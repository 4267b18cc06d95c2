#include "Breakage.h"

#include <chrono>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

#include "com/ObjectRoot.h"

namespace soak {

struct Breakage::State {
    BreakKind kind = BreakKind::none;
    std::set<short> faultedSlots;  // slots whose current rig froze its reading (a)
    std::vector<std::unique_ptr<char[]>> leaked;  // (d)
};

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kFailEveryChecks = 97;
constexpr std::size_t kLeakBytes = 3 * 1024;

struct Frequency {
    double xmit = 0, rcv = 0;
    SHORT mode = 0, primary = 0, split = 0;
};

class BrokenRig : public com::ObjectRoot, public IQbRig {
public:
    BrokenRig(com::ComPtr<IQbRig> rig, short slot, std::shared_ptr<Breakage::State> state)
        : rig_(std::move(rig)), slot_(slot), state_(std::move(state)) {
        state_->faultedSlots.erase(slot_);
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
        setArmed_ = true;
        return rig_->Set(xmit, rcv, mode, primary, split, time);
    }
    HRESULT STDMETHODCALLTYPE Launch(LONG* time) override {
        const HRESULT hr = rig_->Launch(time);
        if (setArmed_ && *time == 10 && Clock::now() - setAt_ < 1.5s) staleDue_ = true;  // the Set was confirmed
        if (*time == 10) setArmed_ = false;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Check(LONG* time) override {
        if (state_->kind == BreakKind::hiddenFailure && ++checks_ % kFailEveryChecks == 0) {
            *time = -1;
            return E_FAIL;
        }
        return rig_->Check(time);
    }
    HRESULT STDMETHODCALLTYPE Xmit(LONG on, LONG* time) override { return rig_->Xmit(on, time); }
    HRESULT STDMETHODCALLTYPE ClearRIT() override { return rig_->ClearRIT(); }
    HRESULT STDMETHODCALLTYPE TuneFrequency(LONG amount, LONG* time) override { return rig_->TuneFrequency(amount, time); }
    HRESULT STDMETHODCALLTYPE GetFrequency(double* xmit, double* rcv, SHORT* mode, SHORT* primary, SHORT* split) override {
        Frequency now;
        const HRESULT hr = rig_->GetFrequency(&now.xmit, &now.rcv, &now.mode, &now.primary, &now.split);
        if (state_->kind == BreakKind::deadReceive && state_->faultedSlots.count(slot_)) {
            now = last_;  // the receive path died with the fault: nothing new is applied
        } else if (state_->kind == BreakKind::stalePoll && staleDue_) {
            staleDue_ = false;
            now = beforeSet_;  // an answer from before the Set overwrote it
        }
        last_ = now;
        *xmit = now.xmit, *rcv = now.rcv, *mode = now.mode, *primary = now.primary, *split = now.split;
        return hr;
    }

private:
    com::ComPtr<IQbRig> rig_;
    const short slot_;
    std::shared_ptr<Breakage::State> state_;
    Frequency last_, beforeSet_;
    Clock::time_point setAt_{};
    bool setArmed_ = false;
    bool staleDue_ = false;
    long checks_ = 0;
};

class BrokenChooser : public com::ObjectRoot, public IRadioChooser {
public:
    BrokenChooser(com::ComPtr<IRadioChooser> chooser, std::shared_ptr<Breakage::State> state)
        : chooser_(std::move(chooser)), state_(std::move(state)) {}

    static const com::InterfaceTable<BrokenChooser>& interfaces() {
        static const com::InterfaceEntry<BrokenChooser> entries[] = {
            com::interfaceEntry<BrokenChooser, IRadioChooser>(IID_IRadioChooser)};
        static const com::InterfaceTable<BrokenChooser> table{entries};
        return table;
    }

    HRESULT STDMETHODCALLTYPE GetNumChoices(LONG index, SHORT clearCache, SHORT* count) override {
        const HRESULT hr = chooser_->GetNumChoices(index, clearCache, count);
        radios_ = static_cast<SHORT>(*count - 1);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetRadioName(LONG index, SHORT radio, BSTR* name) override {
        return chooser_->GetRadioName(index, radio, name);
    }
    HRESULT STDMETHODCALLTYPE GetSavedChoice(LONG index, SHORT slot, SHORT* saved) override {
        return chooser_->GetSavedChoice(index, slot, saved);
    }
    HRESULT STDMETHODCALLTYPE GetRigObject(LONG index, SHORT choice, SHORT slot, IQbRig** out) override {
        if (state_->kind == BreakKind::wrongRecord && choice >= 1 && radios_ > 0) choice = static_cast<SHORT>(choice % radios_ + 1);
        com::ComPtr<IQbRig> rig;
        const HRESULT hr = chooser_->GetRigObject(index, choice, slot, rig.receive());
        *out = nullptr;
        if (!rig) return hr;
        if (state_->kind != BreakKind::deadReceive && state_->kind != BreakKind::stalePoll &&
            state_->kind != BreakKind::hiddenFailure) {
            *out = rig.detach();
            return hr;
        }
        HRESULT made = S_OK;
        auto* broken = com::ComObject<BrokenRig>::create(&made, rig, slot, state_);
        if (!broken) return made;
        *out = broken;
        return hr;
    }

private:
    com::ComPtr<IRadioChooser> chooser_;
    std::shared_ptr<Breakage::State> state_;
    SHORT radios_ = 0;
};

}  // namespace

BreakKind breakKindFrom(const std::string& letter) {
    if (letter.empty()) return BreakKind::none;
    const BreakKind kinds[] = {BreakKind::deadReceive, BreakKind::stalePoll, BreakKind::hiddenFailure, BreakKind::leak,
                               BreakKind::wrongRecord};
    if (letter.size() != 1 || letter[0] < 'a' || letter[0] > 'e') throw std::invalid_argument("--break takes a to e");
    return kinds[letter[0] - 'a'];
}

Breakage::Breakage(BreakKind kind) : state_(std::make_shared<State>()) { state_->kind = kind; }

Breakage::~Breakage() = default;

com::ComPtr<IRadioChooser> Breakage::wrap(IRadioChooser* chooser) {
    auto real = com::ComPtr<IRadioChooser>::retain(chooser);
    if (state_->kind == BreakKind::none) return real;
    HRESULT hr = S_OK;
    auto* broken = com::ComObject<BrokenChooser>::create(&hr, real, state_);
    if (!broken) throw std::runtime_error("the breaking chooser could not be made");
    return com::ComPtr<IRadioChooser>::adopt(broken);
}

void Breakage::faultBegins(short slot) { state_->faultedSlots.insert(slot); }

void Breakage::episodeEnded() {
    if (state_->kind != BreakKind::leak) return;
    state_->leaked.push_back(std::make_unique<char[]>(kLeakBytes));
    std::memset(state_->leaked.back().get(), 0x5a, kLeakBytes);  // touched, so that it is resident
}

}  // namespace soak
