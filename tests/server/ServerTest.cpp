// The registered server under the real COM runtime: RigManager created by
// CLSID in a single-threaded apartment, called from another apartment
// through the type-library marshaler, and the module's unload rules over a
// whole life cycle. Runs in a Wine prefix of its own, where it registers the
// DLL; creating a manager starts discovery, so it runs in a private network
// namespace like every test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "tests/server/ComRuntimeHelpers.h"
#include "tests/server/DriverDll.h"

using com::ComPtr;

using comtest::canUnloadNow;
using comtest::refCount;
using comtest::takeBstr;

namespace {


class RealComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        comtest::DriverDll dll;
        ASSERT_EQ(dll.registerServer(), S_OK);
    }

    void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
    void TearDown() override {
        CoFreeUnusedLibrariesEx(0, 0);
        CoUninitialize();
    }

    ComPtr<IRigManager3> createManager() {
        ComPtr<IRigManager3> manager;
        EXPECT_EQ(CoCreateInstance(CLSID_RigManager, nullptr, CLSCTX_INPROC_SERVER, IID_IRigManager3,
                                   reinterpret_cast<void**>(manager.receive())),
                  S_OK);
        return manager;
    }
};

TEST_F(RealComTest, CreatesTheManagerByItsClassId) {
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(refCount(manager.get()), 1u);
    LONG count = 0;
    EXPECT_EQ(manager->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);

    ComPtr<IRigManager> first;
    ASSERT_EQ(manager->QueryInterface(IID_IRigManager, reinterpret_cast<void**>(first.receive())), S_OK);
    EXPECT_EQ(static_cast<void*>(first.get()), static_cast<void*>(manager.get()));
    ComPtr<IRadioChooser> chooser;
    ASSERT_EQ(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive())), S_OK);
    ComPtr<IUnknown> identity, identityOfChooser;
    ASSERT_EQ(manager->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.receive())), S_OK);
    ASSERT_EQ(chooser->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identityOfChooser.receive())), S_OK);
    EXPECT_EQ(identity.get(), identityOfChooser.get());
    void* out = this;
    EXPECT_EQ(manager->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(RealComTest, AggregationAndUnknownInterfacesAreRefused) {
    ComPtr<IRigManager3> outer = createManager();
    ASSERT_TRUE(outer);
    void* out = this;
    EXPECT_EQ(CoCreateInstance(CLSID_RigManager, outer.get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = this;
    EXPECT_EQ(CoCreateInstance(CLSID_RigManager, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

// What a call from the other apartment saw.
struct RemoteCalls {
    HRESULT unmarshal = E_FAIL;
    bool proxy = false;
    HRESULT count = E_FAIL;
    LONG countValue = 0;
    HRESULT label = E_FAIL;
    std::wstring labelText;
    HRESULT badLabel = S_OK;
    HRESULT chooser = E_FAIL;
    HRESULT rig = E_FAIL;
    HRESULT frequency = E_FAIL;
    SHORT mode = -7;
};

RemoteCalls callFromTheMultithreadedApartment(IStream* stream, IRigManager3* original) {
    RemoteCalls seen;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        ComPtr<IRigManager3> manager;
        seen.unmarshal = CoGetInterfaceAndReleaseStream(stream, IID_IRigManager3, reinterpret_cast<void**>(manager.receive()));
        if (manager) {
            seen.proxy = manager.get() != original;
            seen.count = manager->get_Count(&seen.countValue);
            BSTR label = nullptr;
            seen.label = manager->get_Label(1, &label);
            seen.labelText = takeBstr(label);
            label = nullptr;
            seen.badLabel = manager->get_Label(5, &label);
            SysFreeString(label);
            ComPtr<IRadioChooser> chooser;
            seen.chooser = manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive()));
            ComPtr<IQbRig> rig;
            seen.rig = manager->GetRigObject(1, rig.receive());
            if (rig) {
                double xmit = 0, rcv = 0;
                SHORT primary = 0, split = 0;
                seen.frequency = rig->GetFrequency(&xmit, &rcv, &seen.mode, &primary, &split);
            }
        }
    }
    CoUninitialize();
    return seen;
}

TEST_F(RealComTest, AnotherApartmentCallsThroughTheTypeLibraryMarshaler) {
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IRigManager3, manager.get(), &stream), S_OK);

    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue, for the quit message
    const DWORD apartmentThread = GetCurrentThreadId();
    RemoteCalls seen;
    std::thread caller([&] {
        seen = callFromTheMultithreadedApartment(stream, manager.get());
        PostThreadMessageW(apartmentThread, WM_QUIT, 0, 0);
    });
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    caller.join();

    EXPECT_EQ(seen.unmarshal, S_OK);
    EXPECT_TRUE(seen.proxy);
    EXPECT_EQ(seen.count, S_OK);
    EXPECT_EQ(seen.countValue, 1);
    EXPECT_EQ(seen.label, S_OK);
    EXPECT_EQ(seen.labelText, L"Elecraft K4 on COMM");
    EXPECT_EQ(seen.badLabel, E_INVALIDARG);
    EXPECT_EQ(seen.chooser, S_OK);
    EXPECT_EQ(seen.rig, S_OK);
    EXPECT_EQ(seen.frequency, S_OK);
    EXPECT_NE(seen.mode, -7);
    EXPECT_EQ(refCount(manager.get()), 1u);
}

TEST_F(RealComTest, ModuleStaysWhileARigOutlivesItsManager) {
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ComPtr<IQbRig> rig;
    ASSERT_EQ(manager->GetRigObject(1, rig.receive()), S_OK);
    manager.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);

    double xmit = 0, rcv = 0;
    SHORT mode = 0, primary = 0, split = 0;
    EXPECT_EQ(rig->GetFrequency(&xmit, &rcv, &mode, &primary, &split), S_OK);
    LONG time = 0;
    EXPECT_EQ(rig->Check(&time), E_FAIL);  // no port lent yet
    EXPECT_EQ(time, -1);
    rig.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);

    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(comtest::kDriverDllName), nullptr);
}

// LogFileFolder in the logger's INI file for the life of the object.
class LogFolderSetting {
public:
    LogFolderSetting() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "qbox-com-log";
        CreateDirectoryA(folder_.c_str(), nullptr);
        DeleteFileA(logPath().c_str());
        WritePrivateProfileStringA("RIGS", "LogFileFolder", folder_.c_str(), "quillbox.ini");
    }
    ~LogFolderSetting() { WritePrivateProfileStringA("RIGS", "LogFileFolder", nullptr, "quillbox.ini"); }
    std::string logPath() const { return folder_ + "\\k4logio.log"; }

private:
    std::string folder_;
};

// Whether the file can be opened with no sharing, that is, no one has it open.
bool openedByNoOne(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

TEST_F(RealComTest, UnloadingTheModuleClosesTheLogFile) {
    ASSERT_EQ(GetModuleHandleW(comtest::kDriverDllName), nullptr) << "the process log trail must be made afresh";
    LogFolderSetting setting;
    ComPtr<IRigManager3> manager = createManager();
    ASSERT_TRUE(manager);
    ASSERT_NE(GetFileAttributesA(setting.logPath().c_str()), INVALID_FILE_ATTRIBUTES);
    manager.reset();
    EXPECT_FALSE(openedByNoOne(setting.logPath()));  // the process keeps its trail while loaded

    CoFreeUnusedLibrariesEx(0, 0);
    ASSERT_EQ(GetModuleHandleW(comtest::kDriverDllName), nullptr);
    EXPECT_TRUE(openedByNoOne(setting.logPath()));
}

}  // namespace
