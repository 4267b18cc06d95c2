// CRigManager, the class RigManager that the logger creates first. Through
// IRigManager3 (which also serves IRigManager2 and IRigManager) it names the
// rigs the driver offers and creates the serial rig; through IRadioChooser it
// lists the K4 radios discovery found and creates network rigs per host slot.
//
// Apartment-threaded: every call arrives on the creating thread. The manager
// owns one discovery service for its life, and the chooser's numbers of the
// current discovery run; the rig objects it hands out hold their own
// references and outlive it.
#pragma once

#include <string>

#include "com/Interfaces.h"
#include "com/ObjectRoot.h"
#include "discovery/Discovery.h"
#include "manager/ChoiceList.h"

class CRigManager : public com::ObjectRoot, public IRigManager3, public IRadioChooser {
public:
    static const com::InterfaceTable<CRigManager>& interfaces();

    HRESULT finalConstruct();
    void finalRelease();

    // IRigManager, IRigManager2, IRigManager3
    HRESULT STDMETHODCALLTYPE get_Count(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Label(LONG Index, BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE GetRigObject(LONG Index, IQbRig** pRig) override;
    HRESULT STDMETHODCALLTYPE get_Baud(LONG Index, LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_PortBits(LONG Index, LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_MultiRigMaxCount(LONG Index, SHORT* pVal) override;

    // IRadioChooser
    HRESULT STDMETHODCALLTYPE GetNumChoices(LONG Index, SHORT clearCache, SHORT* pNumChoices) override;
    HRESULT STDMETHODCALLTYPE GetRadioName(LONG Index, SHORT RadioIndex, BSTR* pName) override;
    HRESULT STDMETHODCALLTYPE GetSavedChoice(LONG Index, SHORT SlotNumber, SHORT* pSaved) override;
    HRESULT STDMETHODCALLTYPE GetRigObject(LONG Index, SHORT RadioChoice, SHORT SlotNumber, IQbRig** pRig) override;

private:
    HRESULT editAddresses();
    void restartDiscovery();
    void saveChoice(SHORT slot, const std::string& radioId);

    K4Ip::Discovery discovery_;
    chooser::ChoiceList choices_{[this] { return discovery_.discovered(); }};
};
