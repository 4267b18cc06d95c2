#include "platform/Text.h"

namespace platform {

BSTR bstrFromAnsi(const std::string& text) {
    if (text.empty()) return SysAllocStringLen(L"", 0);
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return nullptr;
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength));
    if (result) MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, result, wideLength);
    return result;
}

std::string ansiFromBstr(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) return {};
    const int narrowLength = WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(narrowLength > 0 ? narrowLength : 0, '\0');
    if (narrowLength > 0)
        WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, &result[0], narrowLength, nullptr, nullptr);
    return result;
}

}  // namespace platform
