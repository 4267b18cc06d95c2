#include "platform/SystemError.h"

#include <windows.h>

namespace platform {

std::string lastSystemError() {
    const DWORD error = GetLastError();
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    return systemErrorLine(text, static_cast<long>(error));
}

}  // namespace platform
