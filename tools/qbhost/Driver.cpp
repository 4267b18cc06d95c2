#include "tools/qbhost/Driver.h"

#include <cstdio>

#include "settings/Settings.h"
#include "tools/qbhost/CommandTexts.h"
#include "tools/qbhost/Registration.h"

namespace qbhost {

std::string hresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

Driver::Driver() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) throw Failure("COM could not be initialised (" + hresultText(init) + ")", kFailed);
    const HRESULT hr = CoCreateInstance(CLSID_RigManager, nullptr, CLSCTX_INPROC_SERVER, IID_IRigManager3,
                                        reinterpret_cast<void**>(manager_.receive()));
    if (hr == REGDB_E_CLASSNOTREG)
        throw Failure("the K4 driver is not registered" + notRegisteredHint(findRegistrations(), runsElevated()),
                      kNotRegistered);
    if (FAILED(hr)) {
        std::string registered = registrationLines(findRegistrations());
        registered.pop_back();
        throw Failure("the K4 driver could not be created (" + hresultText(hr) + "); it is registered\n" + registered,
                      kFailed);
    }
    const HRESULT query = manager_->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser_.receive()));
    if (FAILED(query)) throw Failure("the K4 driver offers no radio chooser (" + hresultText(query) + ")", kFailed);
}

Driver::~Driver() {
    chooser_.reset();
    manager_.reset();
    CoUninitialize();
}

com::ComPtr<IQbRig> Driver::networkRig(short slot, const short* choice) const {
    com::ComPtr<IQbRig> rig;
    const short chosen = choice ? *choice : -1;
    const HRESULT hr = chooser_->GetRigObject(0, chosen, slot, rig.receive());
    if (hr == E_INVALIDARG) throw Failure("no radio with choice " + std::to_string(chosen), kNoRadio);
    if (hr == E_FAIL) throw Failure(noSavedRadio(slot, settings::savedChoice(slot)), kNoRadio);
    if (FAILED(hr)) throw Failure("the rig could not be created (" + hresultText(hr) + ")", kFailed);
    return rig;
}

com::ComPtr<IQbRig> Driver::serialRig() const {
    com::ComPtr<IQbRig> rig;
    const HRESULT hr = manager_->GetRigObject(1, rig.receive());
    if (FAILED(hr)) throw Failure("the serial rig could not be created (" + hresultText(hr) + ")", kFailed);
    return rig;
}

}  // namespace qbhost
