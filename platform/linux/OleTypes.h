// The COM/OLE subset the driver's portable code needs on Linux: HRESULT and
// its values, GUIDs, IUnknown, BSTR, VARIANT holding a byte SAFEARRAY, and the
// macros the generated interface header uses. Layouts follow the 32-bit
// Windows ABI where the driver relies on them (LONG is 32 bits, a BSTR is
// length-prefixed UTF-16); everything else is as small as the tests need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#define EXTERN_C extern "C"
#define STDMETHODCALLTYPE
#define STDAPI EXTERN_C HRESULT
#define STDAPI_(t) EXTERN_C t
#define WINAPI
#define __RPC_USER
#define BEGIN_INTERFACE
#define END_INTERFACE
#define DECLSPEC_UUID(x)
#define DECLSPEC_SELECTANY
#define MIDL_INTERFACE(x) struct
#ifndef interface
#define interface struct
#endif

typedef int32_t HRESULT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int BOOL;
typedef char16_t WCHAR;
typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef const OLECHAR* LPCOLESTR;
typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
typedef uint32_t UINT;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_POINTER ((HRESULT)0x80004003)
#define E_FAIL ((HRESULT)0x80004005)
#define E_UNEXPECTED ((HRESULT)0x8000FFFF)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008)
#define DISP_E_ARRAYISLOCKED ((HRESULT)0x8002000D)
#define DISP_E_BADINDEX ((HRESULT)0x8002000B)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }
#define IsEqualIID(a, b) IsEqualGUID(a, b)

#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) EXTERN_C const GUID name

EXTERN_C const IID IID_IUnknown;
EXTERN_C const IID IID_IDispatch;
EXTERN_C const IID IID_IClassFactory;

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_UI1 = 17,
    VT_ARRAY = 0x2000,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        SHORT iVal;
        double dblVal;
        BSTR bstrVal;
        SAFEARRAY* parray;
        BYTE bVal;
    };
};
typedef VARIANT VARIANTARG;

EXTERN_C BSTR SysAllocString(const OLECHAR* text);
EXTERN_C BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
EXTERN_C void SysFreeString(BSTR text);
EXTERN_C UINT SysStringLen(BSTR text);

EXTERN_C void VariantInit(VARIANT* v);
EXTERN_C HRESULT VariantClear(VARIANT* v);

EXTERN_C SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds);
EXTERN_C SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
EXTERN_C HRESULT SafeArrayDestroy(SAFEARRAY* array);
EXTERN_C UINT SafeArrayGetDim(SAFEARRAY* array);
EXTERN_C HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
EXTERN_C HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
EXTERN_C HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
EXTERN_C HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
