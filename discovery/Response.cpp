#include "discovery/Response.h"

namespace K4Ip {

std::optional<ResponseFields> parseResponse(const char* data, size_t length) {
    constexpr char kSeparator = ':';
    ResponseFields fields;
    std::string token;
    unsigned separators = 0;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] != kSeparator) {
            token.push_back(data[i]);
            continue;
        }
        if (separators == 0 && token != "k4") return std::nullopt;
        if (separators == 1) fields.name = std::move(token);
        if (separators == 2) fields.info = std::move(token);
        ++separators;
        token.clear();
    }
    if (separators != 3) return std::nullopt;
    fields.id = std::move(token);
    if (fields.name.empty() || fields.id.empty()) return std::nullopt;
    return fields;
}

}  // namespace K4Ip
