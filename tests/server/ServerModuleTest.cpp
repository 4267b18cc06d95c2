// The server module behind DllGetClassObject and DllCanUnloadNow, over an
// object map with one test class.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "com/ComPtr.h"
#include "com/ModuleLock.h"
#include "server/ServerModule.h"
#include "tests/com/TestObjects.h"

using com::ComPtr;
using com::ModuleLock;
using namespace comtest;

namespace {

const CLSID CLSID_TwoFaces = {0x0c4f7d10, 0x5a2b, 0x4e61, {0x8d, 0x3e, 0x71, 0x9a, 0x02, 0xbb, 0x4c, 0x01}};
const CLSID CLSID_Unknown = {0x0c4f7d10, 0x5a2b, 0x4e61, {0x8d, 0x3e, 0x71, 0x9a, 0x02, 0xbb, 0x4c, 0x02}};

const com::ClassEntry rows[] = {{&CLSID_TwoFaces, &com::createInstance<CTwoFaces>, nullptr}};

class ServerModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        census = Census();
        // The module lock is process-wide; these tests need it at rest.
        ASSERT_EQ(ModuleLock::count(), 0);
        module_.initialise();
    }
    void TearDown() override {
        module_.terminate();
        EXPECT_EQ(ModuleLock::count(), 0);
    }

    ComPtr<IClassFactory> classObject() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(module_.getClassObject(CLSID_TwoFaces, IID_IClassFactory, reinterpret_cast<void**>(factory.receive())),
                  S_OK);
        return factory;
    }

    com::ClassTable classes_{rows};
    com::ServerModule module_{classes_};
};

TEST_F(ServerModuleTest, NullOutIsRefusedBeforeAnythingElse) {
    EXPECT_EQ(module_.getClassObject(CLSID_TwoFaces, IID_IClassFactory, nullptr), E_POINTER);
    module_.terminate();
    EXPECT_EQ(module_.getClassObject(CLSID_TwoFaces, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ServerModuleTest, ModuleNotInitialisedGivesUnexpectedWithTheOutCleared) {
    module_.terminate();
    void* out = this;
    EXPECT_EQ(module_.getClassObject(CLSID_TwoFaces, IID_IClassFactory, &out), E_UNEXPECTED);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ServerModuleTest, ClassOutsideTheMapIsNotAvailable) {
    void* out = this;
    EXPECT_EQ(module_.getClassObject(CLSID_Unknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ServerModuleTest, EveryRequestGetsTheSameCachedClassObject) {
    ComPtr<IClassFactory> first = classObject();
    ComPtr<IClassFactory> second = classObject();
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(refCount(first.get()), 3u);  // the cache's and ours
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(module_.getClassObject(CLSID_TwoFaces, IID_IUnknown, reinterpret_cast<void**>(unknown.receive())), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(first.get()));
}

TEST_F(ServerModuleTest, InterfaceTheClassObjectLacksIsRefused) {
    void* out = this;
    EXPECT_EQ(module_.getClassObject(CLSID_TwoFaces, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(module_.canUnloadNow(), S_OK);
}

TEST_F(ServerModuleTest, UnloadIsRefusedWhileAnythingHoldsTheModule) {
    EXPECT_EQ(module_.canUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory = classObject();
    EXPECT_EQ(module_.canUnloadNow(), S_FALSE);

    ComPtr<IFirst> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IFirst, reinterpret_cast<void**>(object.receive())), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(module_.canUnloadNow(), S_FALSE);  // the object and the server lock
    object.reset();
    EXPECT_EQ(module_.canUnloadNow(), S_FALSE);  // the server lock
    ComPtr<IClassFactory> again = classObject();
    ASSERT_EQ(again->LockServer(FALSE), S_OK);
    again.reset();
    EXPECT_EQ(module_.canUnloadNow(), S_OK);  // only the cache holds the class object
}

TEST_F(ServerModuleTest, TerminateReleasesTheCachedClassObject) {
    IClassFactory* held = classObject().detach();
    module_.terminate();
    EXPECT_EQ(refCount(held), 1u);
    EXPECT_EQ(held->Release(), 0u);
    module_.initialise();
    ComPtr<IClassFactory> fresh = classObject();
    EXPECT_TRUE(fresh);
}

TEST_F(ServerModuleTest, ConcurrentFirstRequestsShareOneClassObject) {
    constexpr int threads = 4;
    IClassFactory* seen[threads] = {};
    std::vector<std::thread> callers;
    for (int i = 0; i < threads; ++i) {
        callers.emplace_back([this, &seen, i] {
            IClassFactory* factory = nullptr;
            if (module_.getClassObject(CLSID_TwoFaces, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK)
                return;
            seen[i] = factory;
            factory->AddRef();
            factory->Release();
            factory->Release();
        });
    }
    for (std::thread& caller : callers) caller.join();
    for (IClassFactory* factory : seen) EXPECT_EQ(factory, seen[0]);
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(module_.canUnloadNow(), S_OK);
}

}  // namespace
