#include "core/SerialTransfer.h"

#include <cstdint>
#include <cstring>

namespace serialtransfer {

namespace {

constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;

}  // namespace

HRESULT makeByteArray(const std::string& text, VARIANT* out) {
    VariantInit(out);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(text.size()));
    if (!array) return E_OUTOFMEMORY;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return E_OUTOFMEMORY;
    }
    std::memcpy(data, text.data(), text.size());
    SafeArrayUnaccessData(array);
    out->vt = kByteArray;
    out->parray = array;
    return S_OK;
}

std::vector<char> bytesOf(const VARIANT& received) {
    if (received.vt != kByteArray || !received.parray) return {};
    SAFEARRAY* array = received.parray;
    if (SafeArrayGetDim(array) != 1) return {};
    LONG lower = 0;
    LONG upper = 0;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper))) return {};
    if (upper < lower) return {};
    const size_t count = static_cast<size_t>(int64_t(upper) - int64_t(lower) + 1);
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return {};
    std::vector<char> bytes;
    if (data) bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + count);
    SafeArrayUnaccessData(array);
    return bytes;
}

}  // namespace serialtransfer
