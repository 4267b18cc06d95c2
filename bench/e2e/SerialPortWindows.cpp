// The Windows build's serial port: qbhost's IQbRigIO over a Win32 COM port.
#include <stdexcept>

#include "Host.h"
#include "tools/qbhost/SerialPortIO.h"

namespace e2e {

com::ComPtr<IQbRigIO> openSerialPort(const std::string& name) {
    HRESULT hr = S_OK;
    auto* port = com::ComObject<qbhost::SerialPortIO>::create(&hr);
    if (!port) throw std::runtime_error("out of memory");
    auto io = com::ComPtr<IQbRigIO>::adopt(port);
    if (!port->open(name)) throw std::runtime_error("cannot open " + name);
    return io;
}

}  // namespace e2e
