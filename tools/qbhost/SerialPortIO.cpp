#include "tools/qbhost/SerialPortIO.h"

#include <vector>

namespace qbhost {
namespace {

constexpr DWORD kBaudRate = 38400;
constexpr DWORD kReadChunk = 4096;

bool configure(HANDLE port) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return false;
    dcb.BaudRate = kBaudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    if (!SetCommState(port, &dcb)) return false;
    // A read returns at once with whatever has arrived.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 1000;
    return SetCommTimeouts(port, &timeouts) != 0;
}

}  // namespace

const com::InterfaceTable<SerialPortIO>& SerialPortIO::interfaces() {
    static const com::InterfaceEntry<SerialPortIO> entries[] = {
        com::interfaceEntry<SerialPortIO, IQbRigIO>(IID_IQbRigIO)};
    static const com::InterfaceTable<SerialPortIO> table{entries};
    return table;
}

DWORD SerialPortIO::open(const std::string& port) {
    const std::string path = "\\\\.\\" + port;
    port_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) return GetLastError();
    // A pseudo-terminal behind Wine's port mapping may refuse line settings;
    // the bytes still flow, so a refusal is not fatal.
    configure(port_);
    return 0;
}

void SerialPortIO::finalRelease() {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
}

HRESULT SerialPortIO::WriteChars(VARIANT Chars, LONG* pCommError) {
    if (Chars.vt != (VT_ARRAY | VT_UI1) || !Chars.parray) return E_INVALIDARG;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(Chars.parray, 1, &lower);
    SafeArrayGetUBound(Chars.parray, 1, &upper);
    void* data = nullptr;
    if (upper < lower || FAILED(SafeArrayAccessData(Chars.parray, &data))) return S_OK;
    DWORD written = 0;
    const BOOL ok = WriteFile(port_, data, static_cast<DWORD>(upper - lower + 1), &written, nullptr);
    SafeArrayUnaccessData(Chars.parray);
    *pCommError = ok ? 0 : static_cast<LONG>(GetLastError());
    return ok ? S_OK : E_FAIL;
}

HRESULT SerialPortIO::ReadChars(VARIANT* pReceived, LONG* pCommError) {
    return com::guard([&] {
        std::vector<char> bytes(kReadChunk);
        DWORD count = 0;
        if (!ReadFile(port_, bytes.data(), kReadChunk, &count, nullptr)) {
            *pCommError = static_cast<LONG>(GetLastError());
            return E_FAIL;
        }
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, count);
        if (!array) return E_OUTOFMEMORY;
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        if (count) memcpy(data, bytes.data(), count);
        SafeArrayUnaccessData(array);
        VariantClear(pReceived);
        pReceived->vt = VT_ARRAY | VT_UI1;
        pReceived->parray = array;
        return S_OK;
    });
}

}  // namespace qbhost
