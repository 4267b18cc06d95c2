// guard() at the COM boundary: the HRESULT for each kind of exception, and
// the log entry it writes for every exception it stops (the process trail
// installs itself as the sink; here a trail of the test's own does).
#include "com/Guard.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/LogTrail.h"
#include "platform/TestFolder.h"

namespace {

TEST(Guard, StopsEveryExceptionWithItsHresultAndALogEntry) {
    TestFolder folder;
    auto trail = std::make_shared<LogTrail>([] { return int64_t{0}; });
    trail->openInFolder(folder.path());
    com::setExceptionLog(trail);

    EXPECT_EQ(com::guard([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(com::guard([]() -> HRESULT { throw std::out_of_range("slot 12"); }), E_FAIL);
    EXPECT_EQ(com::guard([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(com::guard([]() -> HRESULT { throw 42; }), E_FAIL);
    trail.reset();  // the sink is weak: the trail closes with its last holder
    EXPECT_EQ(com::guard([]() -> HRESULT { throw std::runtime_error("after"); }), E_FAIL);

    const std::string text = folder.read("k4logio.log").value_or("");
    const std::vector<std::string> expected = {"  0     0 exception slot 12", "  0     0 exception std::bad_alloc",
                                               "  0     0 exception unknown exception"};
    for (const auto& line : expected) EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("after"), std::string::npos);
    com::setExceptionLog(nullptr);
}

}  // namespace
