#include "support/FakeRigIO.h"

#include <cstring>

namespace testsupport {

namespace {

SAFEARRAY* byteVector(const std::string& bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    return array;
}

void holdArray(VARIANT* v, VARTYPE type, SAFEARRAY* array) {
    v->vt = type;
    v->parray = array;
}

}  // namespace

const com::InterfaceTable<FakeRigIO>& FakeRigIO::interfaces() {
    static const com::InterfaceEntry<FakeRigIO> entries[] = {
        com::interfaceEntry<FakeRigIO, IQbRigIO>(IID_IQbRigIO)};
    static const com::InterfaceTable<FakeRigIO> table{entries};
    return table;
}

FakeRigIO::Ptr FakeRigIO::create() {
    HRESULT hr = S_OK;
    return Ptr::adopt(com::ComObject<FakeRigIO>::create(&hr));
}

HRESULT FakeRigIO::WriteChars(VARIANT Chars, LONG* pCommError) {
    Write write;
    write.type = Chars.vt;
    if (Chars.vt & VT_ARRAY) {
        SAFEARRAY* array = Chars.parray;
        write.dimensions = SafeArrayGetDim(array);
        SafeArrayGetLBound(array, 1, &write.lowerBound);
        SafeArrayGetUBound(array, 1, &write.upperBound);
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        const LONG count = write.upperBound - write.lowerBound + 1;
        if (data && count > 0) write.bytes.assign(static_cast<const char*>(data), static_cast<size_t>(count));
        SafeArrayUnaccessData(array);
    }
    writes_.push_back(write);
    *pCommError = 0;
    return S_OK;
}

HRESULT FakeRigIO::ReadChars(VARIANT* pReceived, LONG* pCommError) {
    reads_.push_back(Read{pReceived->vt, *pCommError});
    if (!replies_.empty()) {
        replies_.front()(pReceived);
        replies_.pop_front();
    }
    return S_OK;
}

void FakeRigIO::queueBytes(const std::string& bytes) { queue(byteArrayReply(bytes)); }

std::vector<std::string> FakeRigIO::texts() const {
    std::vector<std::string> result;
    for (const Write& write : writes_) result.push_back(write.bytes);
    return result;
}

FakeRigIO::Reply byteArrayReply(const std::string& bytes) {
    return [bytes](VARIANT* v) { holdArray(v, VT_ARRAY | VT_UI1, byteVector(bytes)); };
}

FakeRigIO::Reply bstrReply(const std::u16string& text) {
    return [text](VARIANT* v) {
        v->vt = VT_BSTR;
        v->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    };
}

FakeRigIO::Reply emptyReply() {
    return [](VARIANT* v) { VariantInit(v); };
}

FakeRigIO::Reply invertedBoundsReply(const std::string& bytes) {
    return [bytes](VARIANT* v) {
        SAFEARRAY* array = byteVector(bytes);
        // Lower bound 10 and an element count that wraps the upper bound to -7.
        array->rgsabound[0].lLbound = 10;
        array->rgsabound[0].cElements = 0xFFFFFFF0u;
        holdArray(v, VT_ARRAY | VT_UI1, array);
    };
}

FakeRigIO::Reply twoDimensionalReply(const std::string& bytes, ULONG rows) {
    return [bytes, rows](VARIANT* v) {
        SAFEARRAYBOUND bounds[2] = {{rows, 0}, {static_cast<ULONG>(bytes.size()), 0}};
        SAFEARRAY* array = SafeArrayCreate(VT_UI1, 2, bounds);
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        for (ULONG row = 0; row < rows; ++row)
            std::memcpy(static_cast<char*>(data) + row * bytes.size(), bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
        holdArray(v, VT_ARRAY | VT_UI1, array);
    };
}

FakeRigIO::Reply shortArrayReply(const std::vector<SHORT>& values) {
    return [values](VARIANT* v) {
        SAFEARRAY* array = SafeArrayCreateVector(VT_I2, 0, static_cast<ULONG>(values.size()));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::memcpy(data, values.data(), values.size() * sizeof(SHORT));
        SafeArrayUnaccessData(array);
        holdArray(v, VT_ARRAY | VT_I2, array);
    };
}

}  // namespace testsupport
