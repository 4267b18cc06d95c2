// The answer of a K4 to the discovery probe: "k4:name:info:id", four fields
// separated by ':', the bytes taken as they are (no trimming, no case folding;
// a trailing CR LF belongs to the id).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace K4Ip {

struct ResponseFields {
    std::string name;
    std::string info;
    std::string id;
};

// The fields of a well-formed answer; nothing when the tag is not exactly
// "k4", the count of ':' is not three, or the name or the id is empty.
std::optional<ResponseFields> parseResponse(const char* data, size_t length);

}  // namespace K4Ip
