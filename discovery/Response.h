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

// Why an answer is not listed, in the order the checks run.
enum class Rejection {
    none,
    wrongTag,       // the text before the first ':' is not exactly "k4"
    tooFewFields,   // fewer than three ':'
    tooManyFields,  // more than three ':'
    noName,
    noId,
    listFull,       // a new id while the list holds as many radios as it can number
};

// The words the log gives for a rejection: "wrong tag", "no name", ...
const char* rejectionText(Rejection rejection);

struct ParsedResponse {
    std::optional<ResponseFields> fields;  // set when the answer is well-formed, even if a full list then rejects it
    Rejection rejection = Rejection::none;
};

// The fields of a well-formed answer, or why it is not one.
ParsedResponse parseResponse(const char* data, size_t length);

}  // namespace K4Ip
