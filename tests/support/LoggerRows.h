// The logger double's rows as test parameters: named by their text in test
// names and failure messages.
#pragma once

#include <cctype>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "tools/loggerdouble/LoggerDouble.h"

namespace loggerdouble {

inline void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

}  // namespace loggerdouble

namespace testsupport {

inline std::string rowName(const ::testing::TestParamInfo<loggerdouble::Row>& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
}

}  // namespace testsupport
