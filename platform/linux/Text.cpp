#include "platform/Text.h"

namespace platform {

BSTR bstrFromAnsi(const std::string& text) {
    std::u16string wide(text.begin(), text.end());
    for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string ansiFromBstr(BSTR text) {
    std::string result;
    const UINT length = SysStringLen(text);
    result.reserve(length);
    for (UINT i = 0; i < length; ++i) result.push_back(text[i] < 0x100 ? static_cast<char>(text[i]) : '?');
    return result;
}

}  // namespace platform
