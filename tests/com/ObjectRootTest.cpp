// ComObject over ObjectRoot: the interface table's QueryInterface, the plain
// reference count, the module lock of a live object, and createInstance.
#include <gtest/gtest.h>

#include "com/ComPtr.h"
#include "com/ModuleLock.h"
#include "com/ObjectRoot.h"
#include "tests/com/TestObjects.h"

using com::ComPtr;
using com::ModuleLock;
using namespace comtest;

namespace {

class ObjectRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        census = Census();
        baseLocks_ = ModuleLock::count();
    }
    void TearDown() override { EXPECT_EQ(ModuleLock::count(), baseLocks_); }

    long locksTaken() const { return ModuleLock::count() - baseLocks_; }

    ComPtr<IFirst> createFirst() {
        ComPtr<IFirst> first;
        EXPECT_EQ(com::createInstance<CTwoFaces>(nullptr, IID_IFirst, reinterpret_cast<void**>(first.receive())),
                  S_OK);
        return first;
    }

private:
    long baseLocks_ = 0;
};

TEST_F(ObjectRootTest, CreateInstanceHandsOutTheOnlyReference) {
    ComPtr<IFirst> first = createFirst();
    ASSERT_TRUE(first);
    EXPECT_EQ(refCount(first.get()), 1u);
    EXPECT_EQ(census.constructed, 1);
    LONG value = 0;
    EXPECT_EQ(first->first(&value), S_OK);
    EXPECT_EQ(value, 1);
}

TEST_F(ObjectRootTest, LiveObjectHoldsOneModuleLockAndReleasesItWithTheLastReference) {
    ComPtr<IFirst> first = createFirst();
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(first->AddRef(), 2u);
    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(first.detach()->Release(), 0u);
    EXPECT_EQ(locksTaken(), 0);
    EXPECT_EQ(census.finalReleased, 1);
    EXPECT_EQ(census.destroyed, 1);
}

// The class's own destructor runs after ComObject's, which gives the
// object's lock back: the module must stay locked until the object is gone.
TEST_F(ObjectRootTest, ModuleStaysLockedWhileTheObjectTearsItselfDown) {
    createFirst().reset();
    EXPECT_EQ(census.destroyed, 1);
    EXPECT_GE(census.locksInFinalRelease - ModuleLock::count(), 1);
    EXPECT_GE(census.locksInDestructor - ModuleLock::count(), 1);
}

TEST_F(ObjectRootTest, EveryInterfaceGivesTheSameIdentityAndSharesTheCount) {
    ComPtr<IFirst> first = createFirst();
    ComPtr<ISecond> second;
    ASSERT_EQ(first->QueryInterface(IID_ISecond, reinterpret_cast<void**>(second.receive())), S_OK);
    EXPECT_NE(static_cast<void*>(second.get()), static_cast<void*>(first.get()));
    EXPECT_EQ(refCount(first.get()), 2u);

    ComPtr<IUnknown> fromFirst, fromSecond;
    ASSERT_EQ(first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromFirst.receive())), S_OK);
    ASSERT_EQ(second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromSecond.receive())), S_OK);
    EXPECT_EQ(fromFirst.get(), fromSecond.get());
    EXPECT_EQ(refCount(second.get()), 4u);

    LONG value = 0;
    EXPECT_EQ(second->second(&value), S_OK);
    EXPECT_EQ(value, 2);
}

TEST_F(ObjectRootTest, UnknownInterfacesAreRefusedWithTheOutCleared) {
    ComPtr<IFirst> first = createFirst();
    for (const IID* iid : {&IID_IOther, &IID_IDispatch, &IID_IClassFactory}) {
        void* out = first.get();
        EXPECT_EQ(first->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(refCount(first.get()), 1u);
}

TEST_F(ObjectRootTest, QueryInterfaceWithoutAnOutPointerIsRefused) {
    ComPtr<IFirst> first = createFirst();
    EXPECT_EQ(first->QueryInterface(IID_IFirst, nullptr), E_POINTER);
    EXPECT_EQ(refCount(first.get()), 1u);
}

TEST_F(ObjectRootTest, CreateInstanceRefusesAggregationWithoutMakingAnObject) {
    CountingUnknown outer;
    void* out = &outer;
    EXPECT_EQ(com::createInstance<CTwoFaces>(&outer, IID_IFirst, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(census.constructed, 0);
    EXPECT_EQ(outer.addRefs + outer.releases, 0);
    EXPECT_EQ(com::createInstance<CTwoFaces>(nullptr, IID_IFirst, nullptr), E_POINTER);
    EXPECT_EQ(census.constructed, 0);
}

TEST_F(ObjectRootTest, CreateInstanceForAnUnknownInterfaceDestroysTheNewObject) {
    void* out = nullptr;
    EXPECT_EQ(com::createInstance<CTwoFaces>(nullptr, IID_IOther, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(census.constructed, 1);
    EXPECT_EQ(census.destroyed, 1);
}

TEST_F(ObjectRootTest, FailedFinalConstructDestroysTheObjectAndReturnsTheFailure) {
    census.finalConstructResult = E_NOTIMPL;
    void* out = nullptr;
    EXPECT_EQ(com::createInstance<CTwoFaces>(nullptr, IID_IFirst, &out), E_NOTIMPL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(census.destroyed, 1);
    EXPECT_EQ(census.finalReleased, 1);
}

TEST_F(ObjectRootTest, ExceptionInTheConstructorBecomesAFailure) {
    census.throwInConstructor = true;
    void* out = nullptr;
    EXPECT_EQ(com::createInstance<CTwoFaces>(nullptr, IID_IFirst, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(census.constructed, 0);
}

TEST_F(ObjectRootTest, CreateHandsTheCreatorOneReference) {
    HRESULT hr = E_FAIL;
    com::ComObject<CTwoFaces>* object = com::ComObject<CTwoFaces>::create(&hr);
    ASSERT_EQ(hr, S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(census.destroyed, 1);
}

}  // namespace
