// Rig objects made and driven the way the manager and the host do: created
// through the COM wrapper, prepared with the manager's setters, then used
// only through IQbRig.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "core/RigSerial.h"
#include "log/LogTrail.h"
#include "support/FakeRigIO.h"
#include "support/TestClock.h"

namespace coretest {

inline constexpr platform::Nanos kMillisecond = 1'000'000;
inline constexpr platform::Nanos kSecond = 1'000'000'000;

struct Frequency {
    double xmit = -1;
    double rcv = -1;
    SHORT mode = -1;
    SHORT primaryVfo = -1;
    SHORT split = -1;
};

struct CheckResult {
    HRESULT hr;
    LONG time;
};

inline com::ComPtr<IQbRig> makeSerialRig(const testsupport::TestClock& clock, std::shared_ptr<LogTrail> log = {},
                                         int32_t instance = 1) {
    HRESULT hr = E_FAIL;
    com::ComObject<CQbRigSerial>* rig = com::ComObject<CQbRigSerial>::create(&hr, clock.clock());
    EXPECT_EQ(hr, S_OK);
    rig->setLog(std::move(log));
    rig->setInstanceNumber(instance);
    return com::ComPtr<IQbRig>::adopt(rig);
}

inline Frequency frequencyOf(IQbRig* rig) {
    Frequency f;
    EXPECT_EQ(rig->GetFrequency(&f.xmit, &f.rcv, &f.mode, &f.primaryVfo, &f.split), S_OK);
    return f;
}

inline LONG launch(IQbRig* rig) {
    LONG time = 1234;
    EXPECT_EQ(rig->Launch(&time), S_OK);
    return time;
}

inline CheckResult check(IQbRig* rig) {
    CheckResult result{E_UNEXPECTED, 1234};
    result.hr = rig->Check(&result.time);
    return result;
}

// A serial rig lent a fake port, on a clock the test moves.
class SerialRigFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK); }

    // Queues the bytes as the port's next read and runs one Check over them.
    CheckResult receive(const std::string& bytes) {
        port->queueBytes(bytes);
        return check(rig.get());
    }

    testsupport::TestClock clock;
    testsupport::FakeRigIO::Ptr port = testsupport::FakeRigIO::create();
    com::ComPtr<IQbRig> rig = makeSerialRig(clock);
};

}  // namespace coretest
