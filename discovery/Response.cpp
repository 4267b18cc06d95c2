#include "discovery/Response.h"

namespace K4Ip {

namespace {

ParsedResponse rejected(Rejection rejection) { return ParsedResponse{std::nullopt, rejection}; }

}  // namespace

const char* rejectionText(Rejection rejection) {
    switch (rejection) {
    case Rejection::none: return "";
    case Rejection::wrongTag: return "wrong tag";
    case Rejection::tooFewFields: return "too few fields";
    case Rejection::tooManyFields: return "too many fields";
    case Rejection::noName: return "no name";
    case Rejection::noId: return "no id";
    case Rejection::listFull: return "list full";
    }
    return "";
}

ParsedResponse parseResponse(const char* data, size_t length) {
    constexpr char kSeparator = ':';
    ResponseFields fields;
    std::string token;
    unsigned separators = 0;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] != kSeparator) {
            token.push_back(data[i]);
            continue;
        }
        if (separators == 0 && token != "k4") return rejected(Rejection::wrongTag);
        if (separators == 1) fields.name = std::move(token);
        if (separators == 2) fields.info = std::move(token);
        ++separators;
        token.clear();
    }
    if (separators < 3) return rejected(Rejection::tooFewFields);
    if (separators > 3) return rejected(Rejection::tooManyFields);
    fields.id = std::move(token);
    if (fields.name.empty()) return rejected(Rejection::noName);
    if (fields.id.empty()) return rejected(Rejection::noId);
    return ParsedResponse{std::move(fields), Rejection::none};
}

}  // namespace K4Ip
