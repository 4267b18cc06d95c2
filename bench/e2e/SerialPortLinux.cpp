// The native build's serial port: an IQbRigIO over a terminal device (the
// simulator's pseudo-terminal), raw, with reads that return at once, as the
// Windows build's COM port behaves.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "Host.h"
#include "com/Guard.h"
#include "com/ObjectRoot.h"

namespace e2e {
namespace {

class TerminalPortIO : public com::ObjectRoot, public IQbRigIO {
public:
    static const com::InterfaceTable<TerminalPortIO>& interfaces() {
        static const com::InterfaceEntry<TerminalPortIO> entries[] = {
            com::interfaceEntry<TerminalPortIO, IQbRigIO>(IID_IQbRigIO)};
        static const com::InterfaceTable<TerminalPortIO> table{entries};
        return table;
    }

    bool open(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return false;
        termios mode{};
        if (tcgetattr(fd_, &mode) == 0) {
            cfmakeraw(&mode);
            tcsetattr(fd_, TCSANOW, &mode);
        }
        return true;
    }

    void finalRelease() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    HRESULT STDMETHODCALLTYPE WriteChars(VARIANT Chars, LONG* pCommError) override {
        if (Chars.vt != (VT_ARRAY | VT_UI1) || !Chars.parray) return E_INVALIDARG;
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(Chars.parray, 1, &lower);
        SafeArrayGetUBound(Chars.parray, 1, &upper);
        void* data = nullptr;
        if (upper < lower || FAILED(SafeArrayAccessData(Chars.parray, &data))) return S_OK;
        const bool written = writeAll(static_cast<const char*>(data), static_cast<size_t>(upper - lower + 1));
        SafeArrayUnaccessData(Chars.parray);
        *pCommError = written ? 0 : errno;
        return written ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE ReadChars(VARIANT* pReceived, LONG* pCommError) override {
        return com::guard([&] {
            std::vector<char> bytes(4096);
            const ssize_t count = ::read(fd_, bytes.data(), bytes.size());
            if (count < 0 && errno != EAGAIN) {
                *pCommError = errno;
                return E_FAIL;
            }
            const ULONG size = count > 0 ? static_cast<ULONG>(count) : 0;
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, size);
            if (!array) return E_OUTOFMEMORY;
            void* data = nullptr;
            SafeArrayAccessData(array, &data);
            if (size) std::memcpy(data, bytes.data(), size);
            SafeArrayUnaccessData(array);
            VariantClear(pReceived);
            pReceived->vt = VT_ARRAY | VT_UI1;
            pReceived->parray = array;
            return S_OK;
        });
    }

private:
    // The terminal takes a poll's few bytes at once; a full buffer is waited out.
    bool writeAll(const char* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (n > 0) {
                data += n;
                size -= static_cast<size_t>(n);
            }
        }
        return true;
    }

    int fd_ = -1;
};

}  // namespace

com::ComPtr<IQbRigIO> openSerialPort(const std::string& name) {
    HRESULT hr = S_OK;
    auto* port = com::ComObject<TerminalPortIO>::create(&hr);
    if (!port) throw std::runtime_error("out of memory");
    auto io = com::ComPtr<IQbRigIO>::adopt(port);
    if (!port->open(name)) throw std::runtime_error("cannot open " + name + ": " + std::strerror(errno));
    return io;
}

}  // namespace e2e
