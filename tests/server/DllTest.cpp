// QboxK4Driver.dll as a file and a server: its export table, its resources
// (version record, manifest, type library, strings, dialog), and the class
// object rules of DllGetClassObject and DllCanUnloadNow.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "tests/server/DriverDll.h"

using com::ComPtr;
using comtest::DriverDll;

namespace {

const CLSID CLSID_Other = {0xddc012f8, 0xa786, 0x4584, {0x85, 0x6d, 0x04, 0x4b, 0xc1, 0xf4, 0x94, 0x15}};

const char* const exportNames[] = {"DllCanUnloadNow", "DllGetClassObject", "DllInstall", "DllRegisterServer",
                                   "DllUnregisterServer"};

// The names in the loaded module's export directory.
std::vector<std::string> exportTable(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    EXPECT_EQ(directory->NumberOfFunctions, directory->NumberOfNames);
    const auto* names = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    std::vector<std::string> result;
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    return result;
}

class DllFileTest : public ::testing::Test {
protected:
    DriverDll dll_;
};

TEST_F(DllFileTest, ExportsTheFiveServerFunctionsAndNothingElse) {
    ASSERT_NE(dll_.module(), nullptr);
    for (const char* name : exportNames) EXPECT_NE(dll_.exported(name), nullptr) << name;
    const std::vector<std::string> table = exportTable(dll_.module());
    EXPECT_EQ(table, std::vector<std::string>(std::begin(exportNames), std::end(exportNames)));
}

// The version record of the DLL file.
class VersionRecord {
public:
    explicit VersionRecord(const std::wstring& path) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        data_.resize(size);
        ok_ = size > 0 && GetFileVersionInfoW(path.c_str(), 0, size, data_.data());
    }
    bool ok() const { return ok_; }

    const void* value(const wchar_t* path, UINT* length) {
        void* value = nullptr;
        return VerQueryValueW(data_.data(), path, &value, length) ? value : nullptr;
    }
    std::wstring text(const wchar_t* name) {
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        const auto* text = static_cast<const wchar_t*>(value(path.c_str(), &length));
        return text ? std::wstring(text) : L"<missing>";
    }

private:
    std::vector<BYTE> data_;
    bool ok_ = false;
};

TEST_F(DllFileTest, VersionRecordIsTheDesignedOne) {
    VersionRecord record(comtest::driverDllPath());
    ASSERT_TRUE(record.ok());
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(record.value(L"\\", &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, (12u << 16) | 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, (73u << 16) | 4u);
    EXPECT_EQ(fixed->dwProductVersionMS, (12u << 16) | 0u);
    EXPECT_EQ(fixed->dwProductVersionLS, (73u << 16) | 4u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    const auto* translation = static_cast<const WORD*>(record.value(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(record.text(L"FileDescription"), L"Quillbox Rig driver for Elecraft K4");
    EXPECT_EQ(record.text(L"FileVersion"), L"12,0,73,4 ");
    EXPECT_EQ(record.text(L"ProductVersion"), L"12,0,73,4 ");
    EXPECT_EQ(record.text(L"InternalName"), L"QboxK4Driver.dll");
    EXPECT_EQ(record.text(L"OriginalFilename"), L"QboxK4Driver.dll");
    EXPECT_EQ(record.text(L"ProductName"), L"Quillbox");
}

std::string resourceText(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return std::string();
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

TEST_F(DllFileTest, ManifestAsksForTheCallersRightsWithoutUiAccess) {
    const std::string manifest = resourceText(dll_.module(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
}

TEST_F(DllFileTest, CarriesTheTypeLibraryTheChooserStringAndTheAddressDialog) {
    EXPECT_NE(FindResourceW(dll_.module(), MAKEINTRESOURCEW(1), L"TYPELIB"), nullptr);
    const wchar_t* text = nullptr;
    const int length = LoadStringW(dll_.module(), 101, reinterpret_cast<LPWSTR>(&text), 0);
    EXPECT_EQ(std::wstring(text, length > 0 ? length : 0), L"IP edit...");
    EXPECT_NE(FindResourceW(dll_.module(), MAKEINTRESOURCEW(201), MAKEINTRESOURCEW(5)), nullptr);  // RT_DIALOG
}

class ClassObjectTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(dll_.canUnloadNow(), S_OK); }

    ComPtr<IClassFactory> classObject() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(dll_.getClassObject(CLSID_RigManager, IID_IClassFactory, reinterpret_cast<void**>(factory.receive())),
                  S_OK);
        return factory;
    }

    DriverDll dll_;
};

TEST_F(ClassObjectTest, NullOutGivesEPointer) {
    EXPECT_EQ(dll_.getClassObject(CLSID_RigManager, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ClassObjectTest, OtherClassesAreNotAvailable) {
    for (const CLSID* clsid : {&CLSID_Other, &IID_IRigManager, &LIBID_QuillboxK4Lib}) {
        void* out = this;
        EXPECT_EQ(dll_.getClassObject(*clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(ClassObjectTest, TheSameClassObjectEveryTime) {
    ComPtr<IClassFactory> first = classObject();
    ComPtr<IClassFactory> second = classObject();
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(dll_.getClassObject(CLSID_RigManager, IID_IUnknown, reinterpret_cast<void**>(unknown.receive())), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(first.get()));
    ComPtr<IClassFactory> queried;
    ASSERT_EQ(unknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(queried.receive())), S_OK);
    EXPECT_EQ(queried.get(), first.get());
    // The cache's reference and our four.
    EXPECT_EQ(first->AddRef(), 6u);
    EXPECT_EQ(first->Release(), 5u);
}

TEST_F(ClassObjectTest, ClassObjectAnswersNoOtherInterface) {
    void* out = this;
    EXPECT_EQ(dll_.getClassObject(CLSID_RigManager, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ComPtr<IClassFactory> factory = classObject();
    out = this;
    EXPECT_EQ(factory->QueryInterface(IID_IRigManager, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ClassObjectTest, CreateInstanceRefusesANullOutAndAggregation) {
    ComPtr<IClassFactory> factory = classObject();
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IRigManager, nullptr), E_POINTER);
    void* out = this;
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ClassObjectTest, UnloadWaitsForOutsideReferencesAndServerLocks) {
    EXPECT_EQ(dll_.canUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory = classObject();
    EXPECT_EQ(dll_.canUnloadNow(), S_FALSE);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(dll_.canUnloadNow(), S_FALSE);
    factory = classObject();
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(dll_.canUnloadNow(), S_FALSE);
    factory.reset();
    EXPECT_EQ(dll_.canUnloadNow(), S_OK);
}

}  // namespace
