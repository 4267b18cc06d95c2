// IRigManager3 and its bases: the rigs offered, their labels and rates, the
// serial rig, interface identity and reference counting.
#include <gtest/gtest.h>

#include "com/ModuleLock.h"
#include "ManagerHarness.h"
#include "support/TempIniFolder.h"

using managertest::createManager;
using managertest::referencesOf;
using managertest::take;

namespace {

class RigManagerTest : public ::testing::Test {
protected:
    testsupport::TempIniFolder ini;
    com::ComPtr<IRigManager3> manager = createManager();
};

TEST_F(RigManagerTest, OffersTheSerialRigOnlyWhenTheSettingIsNonZero) {
    LONG count = -1;
    ASSERT_EQ(manager->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);

    // Read at every call: no new manager is needed to see a change.
    for (const auto& [value, expected] : {std::pair{"1", 2}, {"7", 2}, {"0", 1}, {"abc", 1}, {"-3", 2}}) {
        ini.set("K4onSerialEnable", value);
        ASSERT_EQ(manager->get_Count(&count), S_OK);
        EXPECT_EQ(count, expected) << "K4onSerialEnable=" << value;
    }
}

TEST_F(RigManagerTest, LabelsBothRigsWhateverTheCount) {
    BSTR label = nullptr;
    ASSERT_EQ(manager->get_Label(0, &label), S_OK);
    EXPECT_EQ(take(label), "Elecraft K4 via IP");
    ASSERT_EQ(manager->get_Label(1, &label), S_OK);
    EXPECT_EQ(take(label), "Elecraft K4 on COMM");

    for (LONG index : {-1, 2, 1000}) {
        label = reinterpret_cast<BSTR>(0x1);
        EXPECT_EQ(manager->get_Label(index, &label), E_INVALIDARG);
        EXPECT_EQ(label, nullptr);
    }
}

TEST_F(RigManagerTest, BaudAndMultiRigCountLeaveTheirOutputOnBadIndexes) {
    LONG baud = -5;
    ASSERT_EQ(manager->get_Baud(0, &baud), S_OK);
    EXPECT_EQ(baud, 0);
    ASSERT_EQ(manager->get_Baud(1, &baud), S_OK);
    EXPECT_EQ(baud, 38400);
    baud = -5;
    EXPECT_EQ(manager->get_Baud(2, &baud), E_INVALIDARG);
    EXPECT_EQ(baud, -5);
    EXPECT_EQ(manager->get_Baud(-1, &baud), E_INVALIDARG);
    EXPECT_EQ(baud, -5);

    SHORT most = -5;
    ASSERT_EQ(manager->get_MultiRigMaxCount(0, &most), S_OK);
    EXPECT_EQ(most, 1);
    most = -5;
    EXPECT_EQ(manager->get_MultiRigMaxCount(1, &most), E_INVALIDARG);
    EXPECT_EQ(most, -5);
}

TEST_F(RigManagerTest, PortBitsAreZeroForEveryIndex) {
    for (LONG index : {0, 1, 2, -1, 0x7fffffff}) {
        LONG bits = -5;
        ASSERT_EQ(manager->get_PortBits(index, &bits), S_OK);
        EXPECT_EQ(bits, 0);
    }
}

TEST_F(RigManagerTest, CreatesTheSerialRigForIndexOneOnly) {
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(manager->GetRigObject(1, rig.receive()), S_OK);
    ASSERT_TRUE(rig);
    EXPECT_EQ(referencesOf(rig.get()), 1u);

    com::ComPtr<IQbRigDisplayInfo> info;
    EXPECT_EQ(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())), E_NOINTERFACE);
    EXPECT_FALSE(info);

    for (LONG index : {0, 2, -1}) {
        IQbRig* none = reinterpret_cast<IQbRig*>(0x1);
        EXPECT_EQ(manager->GetRigObject(index, &none), E_INVALIDARG);
        EXPECT_EQ(none, nullptr);
    }
}

TEST_F(RigManagerTest, SerialRigWorksWhenNotOffered) {
    ini.set("K4onSerialEnable", "0");
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(manager->GetRigObject(1, rig.receive()), S_OK);
    LONG hint = 0;
    EXPECT_EQ(rig->Check(&hint), E_FAIL) << "no port lent yet";
    EXPECT_EQ(hint, -1);
}

TEST_F(RigManagerTest, OnePointerServesAllThreeManagerInterfaces) {
    void* one = nullptr;
    void* two = nullptr;
    void* three = nullptr;
    void* chooser = nullptr;
    void* unknown = nullptr;
    ASSERT_EQ(manager->QueryInterface(IID_IRigManager, &one), S_OK);
    ASSERT_EQ(manager->QueryInterface(IID_IRigManager2, &two), S_OK);
    ASSERT_EQ(manager->QueryInterface(IID_IRigManager3, &three), S_OK);
    ASSERT_EQ(manager->QueryInterface(IID_IRadioChooser, &chooser), S_OK);
    ASSERT_EQ(manager->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(one, manager.get());
    EXPECT_EQ(two, manager.get());
    EXPECT_EQ(three, manager.get());
    EXPECT_NE(chooser, manager.get());
    EXPECT_EQ(unknown, static_cast<IUnknown*>(manager.get()));

    // The chooser shares the count and the identity.
    void* unknownFromChooser = nullptr;
    auto* radioChooser = static_cast<IRadioChooser*>(chooser);
    ASSERT_EQ(radioChooser->QueryInterface(IID_IUnknown, &unknownFromChooser), S_OK);
    EXPECT_EQ(unknownFromChooser, unknown);
    EXPECT_EQ(referencesOf(manager.get()), 7u);
    for (void* p : {one, two, three, chooser, unknown, unknownFromChooser}) static_cast<IUnknown*>(p)->Release();
    EXPECT_EQ(referencesOf(manager.get()), 1u);
}

TEST_F(RigManagerTest, AnswersNoOtherInterface) {
    for (const IID* iid : {&IID_IDispatch, &IID_IQbRig, &IID_IQbRigIO, &IID_IQbRigDisplayInfo, &IID_IClassFactory}) {
        void* p = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(manager->QueryInterface(*iid, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
    }
}

TEST_F(RigManagerTest, EachLiveObjectHoldsTheModule) {
    const long before = com::ModuleLock::count();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(manager->GetRigObject(1, rig.receive()), S_OK);
    EXPECT_EQ(com::ModuleLock::count(), before + 1);

    manager.reset();  // the rig outlives its manager
    EXPECT_EQ(com::ModuleLock::count(), before);
    double tx = -1, rx = -1;
    SHORT mode = -1, vfo = -1, split = -1;
    EXPECT_EQ(rig->GetFrequency(&tx, &rx, &mode, &vfo, &split), S_OK);
    EXPECT_EQ(mode, 3);
    rig.reset();
    EXPECT_EQ(com::ModuleLock::count(), before - 1);
}

TEST_F(RigManagerTest, CreationRefusesAggregationAndANullOutput) {
    void* aggregated = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(com::createInstance<CRigManager>(manager.get(), IID_IUnknown, &aggregated), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(aggregated, nullptr);
    EXPECT_EQ(com::createInstance<CRigManager>(nullptr, IID_IRigManager3, nullptr), E_POINTER);

    void* wrong = reinterpret_cast<void*>(0x1);
    const long before = com::ModuleLock::count();
    EXPECT_EQ(com::createInstance<CRigManager>(nullptr, IID_IDispatch, &wrong), E_NOINTERFACE);
    EXPECT_EQ(wrong, nullptr);
    EXPECT_EQ(com::ModuleLock::count(), before) << "the refused object is gone";
}

}  // namespace
