// Rig managers made the way the logger makes them (through the class's
// creator, queried for IRigManager3), with helpers to read their strings.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "com/ObjectRoot.h"
#include "manager/RigManager.h"
#include "platform/Text.h"

namespace managertest {

inline com::ComPtr<IRigManager3> createManager() {
    com::ComPtr<IRigManager3> manager;
    EXPECT_EQ(com::createInstance<CRigManager>(nullptr, IID_IRigManager3,
                                               reinterpret_cast<void**>(manager.receive())),
              S_OK);
    return manager;
}

inline com::ComPtr<IRadioChooser> chooserOf(IRigManager3* manager) {
    com::ComPtr<IRadioChooser> chooser;
    EXPECT_EQ(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive())), S_OK);
    return chooser;
}

// The text of a BSTR the caller owns, freed here.
inline std::string take(BSTR text) {
    std::string result = platform::ansiFromBstr(text);
    SysFreeString(text);
    return result;
}

inline ULONG referencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

}  // namespace managertest
