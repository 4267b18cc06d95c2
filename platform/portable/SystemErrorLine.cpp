#include "platform/SystemError.h"

#include <algorithm>

namespace platform {

std::string systemErrorLine(const std::string& message, long number) {
    std::string line = message;
    std::replace_if(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    line.erase(line.find_last_not_of(" .") + 1);
    const std::string code = "error " + std::to_string(number);
    return line.empty() ? code : line + " (" + code + ")";
}

}  // namespace platform
