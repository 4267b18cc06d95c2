// The class object: IClassFactory over a creator, the server lock, and the
// rule that only references beyond the cache's own one hold the module.
#include <gtest/gtest.h>

#include "server/ClassFactory.h"
#include "com/ComPtr.h"
#include "com/ModuleLock.h"
#include "tests/com/TestObjects.h"

using com::ClassFactory;
using com::ComPtr;
using com::ModuleLock;
using namespace comtest;

namespace {

// A creator that records its calls and answers with a set result.
struct CreatorLog {
    int calls = 0;
    const IID* iid = nullptr;
    HRESULT result = S_OK;
};
CreatorLog creatorLog;

HRESULT recordingCreator(IUnknown* outer, REFIID iid, void** out) {
    ++creatorLog.calls;
    creatorLog.iid = &iid;
    EXPECT_EQ(outer, nullptr);
    if (FAILED(creatorLog.result)) return creatorLog.result;
    return com::createInstance<CTwoFaces>(outer, iid, out);
}

HRESULT throwingCreator(IUnknown*, REFIID, void**) { throw 1; }

class ClassFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        census = Census();
        creatorLog = CreatorLog();
        baseLocks_ = ModuleLock::count();
        factory_ = ClassFactory::create(&recordingCreator);
        ASSERT_TRUE(factory_);
    }
    void TearDown() override {
        EXPECT_EQ(factory_.detach()->Release(), 0u);
        EXPECT_EQ(ModuleLock::count(), baseLocks_);
    }

    long locksTaken() const { return ModuleLock::count() - baseLocks_; }

    ComPtr<IClassFactory> factory_;

private:
    long baseLocks_ = 0;
};

TEST_F(ClassFactoryTest, TheCachedReferenceAloneHoldsNoModuleLock) {
    EXPECT_EQ(refCount(factory_.get()), 1u);
    EXPECT_EQ(locksTaken(), 0);
}

TEST_F(ClassFactoryTest, SecondReferenceLocksTheModuleAndItsReleaseUnlocks) {
    EXPECT_EQ(factory_->AddRef(), 2u);
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(factory_->AddRef(), 3u);
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(factory_->Release(), 2u);
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(factory_->Release(), 1u);
    EXPECT_EQ(locksTaken(), 0);
}

TEST_F(ClassFactoryTest, QueryInterfaceAnswersIUnknownAndIClassFactoryOnly) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(factory_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.receive())), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(factory_.get()));
    ComPtr<IClassFactory> again;
    ASSERT_EQ(factory_->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(again.receive())), S_OK);
    EXPECT_EQ(again.get(), factory_.get());
    EXPECT_EQ(refCount(factory_.get()), 3u);
    EXPECT_EQ(locksTaken(), 1);

    void* out = factory_.get();
    EXPECT_EQ(factory_->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory_->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
    unknown.reset();
    again.reset();
    EXPECT_EQ(locksTaken(), 0);
}

TEST_F(ClassFactoryTest, LockServerAddsAndRemovesOneModuleLock) {
    EXPECT_EQ(factory_->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory_->LockServer(TRUE), S_OK);
    EXPECT_EQ(locksTaken(), 2);
    EXPECT_EQ(factory_->LockServer(FALSE), S_OK);
    EXPECT_EQ(locksTaken(), 1);
    EXPECT_EQ(factory_->LockServer(FALSE), S_OK);
    EXPECT_EQ(locksTaken(), 0);
    EXPECT_EQ(refCount(factory_.get()), 1u);
}

TEST_F(ClassFactoryTest, CreateInstanceRunsTheCreatorForTheAskedInterface) {
    ComPtr<ISecond> second;
    ASSERT_EQ(factory_->CreateInstance(nullptr, IID_ISecond, reinterpret_cast<void**>(second.receive())), S_OK);
    ASSERT_TRUE(second);
    EXPECT_EQ(creatorLog.calls, 1);
    EXPECT_TRUE(IsEqualIID(*creatorLog.iid, IID_ISecond));
    EXPECT_EQ(refCount(second.get()), 1u);
    EXPECT_EQ(locksTaken(), 1);  // the new object's own lock
    second.reset();
    EXPECT_EQ(locksTaken(), 0);
}

TEST_F(ClassFactoryTest, CreateInstanceRefusesANullOutAndAggregationBeforeCreating) {
    EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IFirst, nullptr), E_POINTER);
    CountingUnknown outer;
    void* out = &outer;
    EXPECT_EQ(factory_->CreateInstance(&outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(creatorLog.calls, 0);
    EXPECT_EQ(outer.addRefs + outer.releases, 0);
}

TEST_F(ClassFactoryTest, CreatorFailuresPassThroughWithTheOutCleared) {
    creatorLog.result = E_OUTOFMEMORY;
    void* out = factory_.get();
    EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IFirst, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);

    creatorLog.result = S_OK;
    EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IOther, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(census.destroyed, 1);
}

TEST(ClassFactoryExceptions, ACreatorThatThrowsGivesEFail) {
    ComPtr<IClassFactory> factory = ClassFactory::create(&throwingCreator);
    ASSERT_TRUE(factory);
    void* out = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
