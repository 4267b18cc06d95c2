// Linux implementation of the OLE Automation subset declared in OleTypes.h.
// A BSTR is laid out as on Windows: a 32-bit byte count, then the UTF-16
// text and a terminating NUL; the pointer handed out points at the text.
#include "OleTypes.h"

#include <cstdlib>
#include <new>

EXTERN_C const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
EXTERN_C const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
EXTERN_C const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

constexpr USHORT kFeatureFixedSize = 0x0010;

uint32_t* bstrHeader(BSTR text) { return reinterpret_cast<uint32_t*>(text) - 1; }

size_t safeArrayBytes(UINT dims) { return sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND); }

ULONG elementSize(VARTYPE vt) {
    switch (vt) {
    case VT_UI1: return 1;
    case VT_I2: return 2;
    case VT_I4: return 4;
    case VT_R8: return 8;
    default: return 0;
    }
}

}  // namespace

EXTERN_C BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    const size_t bytes = sizeof(uint32_t) + (size_t(length) + 1) * sizeof(OLECHAR);
    auto* block = static_cast<uint32_t*>(std::malloc(bytes));
    if (!block) return nullptr;
    block[0] = length * sizeof(OLECHAR);
    BSTR result = reinterpret_cast<BSTR>(block + 1);
    if (text) std::memcpy(result, text, length * sizeof(OLECHAR));
    else std::memset(result, 0, length * sizeof(OLECHAR));
    result[length] = 0;
    return result;
}

EXTERN_C BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    UINT length = 0;
    while (text[length]) ++length;
    return SysAllocStringLen(text, length);
}

EXTERN_C void SysFreeString(BSTR text) {
    if (text) std::free(bstrHeader(text));
}

EXTERN_C UINT SysStringLen(BSTR text) { return text ? *bstrHeader(text) / sizeof(OLECHAR) : 0; }

EXTERN_C void VariantInit(VARIANT* v) { std::memset(v, 0, sizeof(VARIANT)); }

EXTERN_C HRESULT VariantClear(VARIANT* v) {
    HRESULT hr = S_OK;
    if (v->vt & VT_ARRAY) hr = SafeArrayDestroy(v->parray);
    else if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
    if (SUCCEEDED(hr)) VariantInit(v);
    return hr;
}

EXTERN_C SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds) {
    const ULONG size = elementSize(vt);
    if (dims == 0 || size == 0) return nullptr;
    auto* array = static_cast<SAFEARRAY*>(std::calloc(1, safeArrayBytes(dims)));
    if (!array) return nullptr;
    size_t count = 1;
    for (UINT i = 0; i < dims; ++i) {
        array->rgsabound[i] = bounds[dims - 1 - i];  // stored last dimension first, as OLE does
        count *= bounds[i].cElements;
    }
    array->cDims = static_cast<USHORT>(dims);
    array->fFeatures = kFeatureFixedSize;
    array->cbElements = size;
    array->pvData = std::calloc(count ? count : 1, size);
    if (!array->pvData) {
        std::free(array);
        return nullptr;
    }
    return array;
}

EXTERN_C SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
    SAFEARRAYBOUND bound{elements, lowerBound};
    return SafeArrayCreate(vt, 1, &bound);
}

EXTERN_C HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (!array) return S_OK;
    if (array->cLocks) return DISP_E_ARRAYISLOCKED;
    std::free(array->pvData);
    std::free(array);
    return S_OK;
}

EXTERN_C UINT SafeArrayGetDim(SAFEARRAY* array) { return array ? array->cDims : 0; }

static const SAFEARRAYBOUND* boundOf(SAFEARRAY* array, UINT dim) {
    if (!array || dim == 0 || dim > array->cDims) return nullptr;
    return &array->rgsabound[array->cDims - dim];
}

EXTERN_C HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    const SAFEARRAYBOUND* b = boundOf(array, dim);
    if (!b) return array ? DISP_E_BADINDEX : E_INVALIDARG;
    *bound = b->lLbound;
    return S_OK;
}

EXTERN_C HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    const SAFEARRAYBOUND* b = boundOf(array, dim);
    if (!b) return array ? DISP_E_BADINDEX : E_INVALIDARG;
    *bound = static_cast<LONG>(int64_t(b->lLbound) + int64_t(b->cElements) - 1);
    return S_OK;
}

EXTERN_C HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (!array || !data) return E_INVALIDARG;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

EXTERN_C HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    if (!array) return E_INVALIDARG;
    if (array->cLocks == 0) return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}
