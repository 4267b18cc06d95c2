// The type library embedded in QboxK4Driver.dll, read back through the
// system's type-library interfaces: identities, interface shapes, member ids,
// names, help strings, parameter types and directions, and the coclass.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "tests/server/DriverDll.h"

using com::ComPtr;

namespace {

const GUID LIBID_stdole2 = {0x00020430, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct Param {
    const wchar_t* name;
    const wchar_t* type;  // as in the IDL: "long*", "IQbRig**", ...
    USHORT flags;
};

struct Method {
    MEMBERID id;
    const wchar_t* name;
    const wchar_t* help;
    std::vector<Param> params;
};

struct Interface {
    const IID* iid;
    const wchar_t* name;
    const IID* base;
    int firstSlot;
    std::vector<Method> methods;
};

const USHORT in = PARAMFLAG_FIN;
const USHORT inOut = PARAMFLAG_FIN | PARAMFLAG_FOUT;
const USHORT retval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

const std::vector<Interface>& expectedInterfaces() {
    static const std::vector<Interface> interfaces = {
        {&IID_IQbRigIO, L"IQbRigIO", &IID_IUnknown, 3,
         {{0x60010000, L"WriteChars", L"method WriteChars", {{L"Chars", L"VARIANT", in}, {L"pCommError", L"long*", inOut}}},
          {0x60010001, L"ReadChars", L"method ReadChars",
           {{L"pReceived", L"VARIANT*", inOut}, {L"pCommError", L"long*", inOut}}}}},
        {&IID_IQbRig, L"IQbRig", &IID_IUnknown, 3,
         {{0x60010000, L"PutCommPort", L"method PutCommPort", {{L"pRigIO", L"IQbRigIO*", in}, {L"Index", L"long", in}}},
          {0x60010001, L"Set", L"method Set",
           {{L"Xmit", L"double", in},
            {L"Rcv", L"double", in},
            {L"Mode", L"short", in},
            {L"PrimaryVFO", L"short", in},
            {L"Split", L"short", in},
            {L"pTime", L"long*", inOut}}},
          {0x60010002, L"Launch", L"method Launch", {{L"pTime", L"long*", inOut}}},
          {0x60010003, L"Check", L"method Check", {{L"pTime", L"long*", inOut}}},
          {0x60010004, L"Xmit", L"method Xmit", {{L"State", L"long", in}, {L"pTime", L"long*", inOut}}},
          {0x60010005, L"ClearRIT", L"method ClearRIT", {}},
          {0x60010006, L"TuneFrequency", L"method TuneFrequency", {{L"Amount", L"long", in}, {L"pTime", L"long*", inOut}}},
          {0x60010007, L"GetFrequency", L"method GetFrequency",
           {{L"pXmit", L"double*", inOut},
            {L"pRcv", L"double*", inOut},
            {L"pMode", L"short*", inOut},
            {L"pPrimaryVFO", L"short*", inOut},
            {L"pSplit", L"short*", inOut}}}}},
        {&IID_IRigManager, L"IRigManager", &IID_IUnknown, 3,
         {{0x60010000, L"get_Count", L"property Count", {{L"pVal", L"long*", retval}}},
          {0x60010001, L"get_Label", L"property Label", {{L"Index", L"long", in}, {L"pVal", L"BSTR*", retval}}},
          {0x60010002, L"GetRigObject", L"method GetRigObject", {{L"Index", L"long", in}, {L"pRig", L"IQbRig**", retval}}},
          {0x60010003, L"get_Baud", L"property Baud", {{L"Index", L"long", in}, {L"pVal", L"long*", retval}}}}},
        {&IID_IRigManager2, L"IRigManager2", &IID_IRigManager, 7,
         {{0x60020000, L"get_PortBits", L"property PortBits", {{L"Index", L"long", in}, {L"pVal", L"long*", retval}}}}},
        {&IID_IRigManager3, L"IRigManager3", &IID_IRigManager2, 8,
         {{0x60030000, L"get_MultiRigMaxCount", L"property MultiRigMaxCount",
           {{L"Index", L"long", in}, {L"pVal", L"short*", retval}}}}},
        {&IID_IRadioChooser, L"IRadioChooser", &IID_IUnknown, 3,
         {{0x60010000, L"GetNumChoices", L"method GetNumChoices",
           {{L"Index", L"long", in}, {L"clearCache", L"short", in}, {L"pNumChoices", L"short*", retval}}},
          {0x60010001, L"GetRadioName", L"method RadioName",
           {{L"Index", L"long", in}, {L"RadioIndex", L"short", in}, {L"pName", L"BSTR*", retval}}},
          {0x60010002, L"GetSavedChoice", L"method GetSavedChoice",
           {{L"Index", L"long", in}, {L"SlotNumber", L"short", in}, {L"pSaved", L"short*", retval}}},
          {0x60010003, L"GetRigObject", L"method GetRigObject",
           {{L"Index", L"long", in},
            {L"RadioChoice", L"short", in},
            {L"SlotNumber", L"short", in},
            {L"pRig", L"IQbRig**", retval}}}}},
    };
    return interfaces;
}

std::wstring takeBstr(BSTR text) {
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return result;
}

// Name and doc string of a type (MEMBERID_NIL) or member.
std::pair<std::wstring, std::wstring> documentation(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr, doc = nullptr;
    EXPECT_EQ(info->GetDocumentation(id, &name, &doc, nullptr, nullptr), S_OK);
    return {takeBstr(name), takeBstr(doc)};
}

std::wstring typeName(ITypeInfo* info, const TYPEDESC& desc) {
    switch (desc.vt) {
    case VT_I4: return L"long";
    case VT_I2: return L"short";
    case VT_R8: return L"double";
    case VT_BSTR: return L"BSTR";
    case VT_VARIANT: return L"VARIANT";
    case VT_PTR: return typeName(info, *desc.lptdesc) + L"*";
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> referenced;
        EXPECT_EQ(info->GetRefTypeInfo(desc.hreftype, referenced.receive()), S_OK);
        return referenced ? documentation(referenced.get(), MEMBERID_NIL).first : L"?";
    }
    default: return L"vt " + std::to_wstring(desc.vt);
    }
}

// Holds a TYPEATTR for the life of the scope.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) { EXPECT_EQ(info->GetTypeAttr(&attr_), S_OK); }
    ~TypeAttr() {
        if (attr_) info_->ReleaseTypeAttr(attr_);
    }
    const TYPEATTR* operator->() const { return attr_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

class TypeLibTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadTypeLibEx(comtest::driverDllPath().c_str(), REGKIND_NONE, library_.receive()), S_OK);
    }

    ComPtr<ITypeInfo> typeInfo(const GUID& guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.receive()), S_OK);
        return info;
    }

    ComPtr<ITypeInfo> implemented(ITypeInfo* info, UINT index) {
        HREFTYPE ref = 0;
        EXPECT_EQ(info->GetRefTypeOfImplType(index, &ref), S_OK);
        ComPtr<ITypeInfo> referenced;
        EXPECT_EQ(info->GetRefTypeInfo(ref, referenced.receive()), S_OK);
        return referenced;
    }

    void checkMethod(ITypeInfo* info, UINT index, int slot, const Method& expected);

    ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibTest, LibraryIdentity) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library_->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_QuillboxK4Lib));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0u);
    EXPECT_EQ(attr->syskind, SYS_WIN32);
    library_->ReleaseTLibAttr(attr);

    BSTR name = nullptr;
    ASSERT_EQ(library_->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(takeBstr(name), L"QuillboxK4Lib");
}

TEST_F(TypeLibTest, HoldsTheSixInterfacesAndTheClassOnly) {
    EXPECT_EQ(library_->GetTypeInfoCount(), expectedInterfaces().size() + 1);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(IID_IQbRigDisplayInfo, info.receive()), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_FALSE(info);
}

void TypeLibTest::checkMethod(ITypeInfo* info, UINT index, int slot, const Method& expected) {
    SCOPED_TRACE(expected.name);
    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(index, &func), S_OK);
    EXPECT_EQ(func->memid, expected.id);
    EXPECT_EQ(func->funckind, FUNC_PUREVIRTUAL);
    EXPECT_EQ(func->invkind, INVOKE_FUNC);
    EXPECT_EQ(func->callconv, CC_STDCALL);
    EXPECT_EQ(func->oVft, slot * static_cast<int>(sizeof(void*)));
    EXPECT_EQ(func->wFuncFlags, 0);
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
    ASSERT_EQ(func->cParams, static_cast<SHORT>(expected.params.size()));
    for (size_t i = 0; i < expected.params.size(); ++i) {
        const ELEMDESC& param = func->lprgelemdescParam[i];
        EXPECT_EQ(typeName(info, param.tdesc), expected.params[i].type) << "parameter " << i;
        EXPECT_EQ(param.paramdesc.wParamFlags, expected.params[i].flags) << "parameter " << i;
    }
    info->ReleaseFuncDesc(func);

    BSTR names[8] = {};
    UINT count = 0;
    ASSERT_EQ(info->GetNames(expected.id, names, 8, &count), S_OK);
    ASSERT_EQ(count, expected.params.size() + 1);
    EXPECT_EQ(takeBstr(names[0]), expected.name);
    for (size_t i = 0; i < expected.params.size(); ++i) EXPECT_EQ(takeBstr(names[i + 1]), expected.params[i].name);

    EXPECT_EQ(documentation(info, expected.id).second, expected.help);
}

TEST_F(TypeLibTest, EveryInterfaceHasItsShape) {
    for (const Interface& expected : expectedInterfaces()) {
        SCOPED_TRACE(expected.name);
        ComPtr<ITypeInfo> info = typeInfo(*expected.iid);
        ASSERT_TRUE(info);
        const auto doc = documentation(info.get(), MEMBERID_NIL);
        EXPECT_EQ(doc.first, expected.name);
        EXPECT_EQ(doc.second, std::wstring(expected.name) + L" Interface");
        {
            TypeAttr attr(info.get());
            EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
            EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FOLEAUTOMATION);
            EXPECT_EQ(attr->cImplTypes, 1);
            ASSERT_EQ(attr->cFuncs, expected.methods.size());
            const size_t slots = static_cast<size_t>(expected.firstSlot) + expected.methods.size();
            EXPECT_EQ(attr->cbSizeVft, slots * sizeof(void*));
        }
        ComPtr<ITypeInfo> base = implemented(info.get(), 0);
        ASSERT_TRUE(base);
        EXPECT_TRUE(IsEqualGUID(TypeAttr(base.get())->guid, *expected.base));
        for (size_t i = 0; i < expected.methods.size(); ++i)
            checkMethod(info.get(), static_cast<UINT>(i), expected.firstSlot + static_cast<int>(i), expected.methods[i]);
    }
}

TEST_F(TypeLibTest, IUnknownComesFromTheStandardOleLibrary) {
    ComPtr<ITypeInfo> unknown = implemented(typeInfo(IID_IQbRig).get(), 0);
    ASSERT_TRUE(unknown);
    ComPtr<ITypeLib> container;
    UINT index = 0;
    ASSERT_EQ(unknown->GetContainingTypeLib(container.receive(), &index), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(container->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_stdole2));
    container->ReleaseTLibAttr(attr);
}

TEST_F(TypeLibTest, RigManagerIsACreatableClassWithItsInterfacesInOrder) {
    ComPtr<ITypeInfo> info = typeInfo(CLSID_RigManager);
    ASSERT_TRUE(info);
    EXPECT_EQ(documentation(info.get(), MEMBERID_NIL).first, L"RigManager");
    {
        TypeAttr attr(info.get());
        EXPECT_EQ(attr->typekind, TKIND_COCLASS);
        EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
        ASSERT_EQ(attr->cImplTypes, 4);
    }
    const IID* order[] = {&IID_IRigManager3, &IID_IRigManager, &IID_IRigManager2, &IID_IRadioChooser};
    for (UINT i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ComPtr<ITypeInfo> listed = implemented(info.get(), i);
        ASSERT_TRUE(listed);
        EXPECT_TRUE(IsEqualGUID(TypeAttr(listed.get())->guid, *order[i]));
        INT flags = -1;
        ASSERT_EQ(info->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, i == 0 ? IMPLTYPEFLAG_FDEFAULT : 0);
    }
}

}  // namespace
