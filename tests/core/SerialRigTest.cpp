// The serial rig's COM surface and its exchange with the host's port: the
// interfaces it answers, the references it holds on the lent IQbRigIO, the
// shape of every WriteChars, and what it makes of every kind of ReadChars
// answer, malformed ones included.
#include <string>

#include <gtest/gtest.h>

#include "core/RigSerial.h"
#include "core/RigHarness.h"

namespace {

using coretest::check;
using coretest::frequencyOf;
using testsupport::FakeRigIO;

class SerialRigTest : public coretest::SerialRigFixture {
protected:
    // After a read that must have yielded no bytes, a clean answer parses
    // as if nothing had come before it.
    void expectNothingWasTaken() {
        EXPECT_EQ(frequencyOf(rig.get()).rcv, 0.0);
        receive("FA00014074000;");
        EXPECT_DOUBLE_EQ(frequencyOf(rig.get()).rcv, 14074.0);
    }
};

TEST_F(SerialRigTest, NewRigReportsTheInitialState) {
    const coretest::Frequency f = frequencyOf(rig.get());
    EXPECT_EQ(f.xmit, 0.0);
    EXPECT_EQ(f.rcv, 0.0);
    EXPECT_EQ(f.mode, 3);
    EXPECT_EQ(f.primaryVfo, 0);
    EXPECT_EQ(f.split, 0);
}

TEST_F(SerialRigTest, AnswersIUnknownAndIQbRigOnly) {
    com::ComPtr<IUnknown> unknown;
    ASSERT_EQ(rig->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.receive())), S_OK);
    com::ComPtr<IQbRig> again;
    ASSERT_EQ(unknown->QueryInterface(IID_IQbRig, reinterpret_cast<void**>(again.receive())), S_OK);
    EXPECT_EQ(again.get(), rig.get());

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(rig->QueryInterface(IID_IQbRigDisplayInfo, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(rig->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(rig->QueryInterface(IID_IQbRigIO, &out), E_NOINTERFACE);
}

TEST_F(SerialRigTest, PutCommPortHoldsExactlyOneReference) {
    EXPECT_EQ(port->references(), 2u);
    EXPECT_EQ(rig->PutCommPort(port.get(), 7), S_OK);
    EXPECT_EQ(port->references(), 2u);

    FakeRigIO::Ptr other = FakeRigIO::create();
    EXPECT_EQ(rig->PutCommPort(other.get(), 0), S_OK);
    EXPECT_EQ(port->references(), 1u);
    EXPECT_EQ(other->references(), 2u);

    EXPECT_EQ(rig->PutCommPort(nullptr, 0), S_OK);
    EXPECT_EQ(other->references(), 1u);
    EXPECT_EQ(check(rig.get()).hr, E_FAIL);
}

TEST_F(SerialRigTest, ReleasingTheRigReleasesThePortOnce) {
    ASSERT_EQ(port->references(), 2u);
    rig.reset();
    EXPECT_EQ(port->references(), 1u);
}

TEST_F(SerialRigTest, CommandsTravelAsOneDimensionalByteArraysFromZero) {
    ASSERT_EQ(rig->ClearRIT(), S_OK);
    ASSERT_EQ(port->writes().size(), 1u);
    const FakeRigIO::Write& write = port->writes()[0];
    EXPECT_EQ(write.type, VT_ARRAY | VT_UI1);
    EXPECT_EQ(write.type, 0x2011);
    EXPECT_EQ(write.dimensions, 1u);
    EXPECT_EQ(write.lowerBound, 0);
    EXPECT_EQ(write.upperBound, 2);
    EXPECT_EQ(write.bytes, "RC;");
}

TEST_F(SerialRigTest, EachCheckReadsOnceWithAnEmptyVariant) {
    check(rig.get());
    check(rig.get());
    ASSERT_EQ(port->reads().size(), 2u);
    for (const FakeRigIO::Read& read : port->reads()) {
        EXPECT_EQ(read.typeOnEntry, VT_EMPTY);
        EXPECT_EQ(read.commErrorOnEntry, 0);
    }
}

TEST_F(SerialRigTest, WithoutAPortCheckFailsAndCommandsAreDropped) {
    testsupport::TestClock otherClock;
    com::ComPtr<IQbRig> bare = coretest::makeSerialRig(otherClock);
    const coretest::CheckResult result = check(bare.get());
    EXPECT_EQ(result.hr, E_FAIL);
    EXPECT_EQ(result.time, -1);
    LONG time = 0;
    EXPECT_EQ(bare->Xmit(1, &time), S_OK);
    EXPECT_EQ(bare->PutCommPort(port.get(), 0), S_OK);
    EXPECT_TRUE(port->writes().empty());
}

TEST_F(SerialRigTest, NonArrayAnswersYieldNoBytes) {
    port->queue(testsupport::bstrReply(u"FA00007000000;"));
    port->queue(testsupport::emptyReply());
    port->queue(testsupport::shortArrayReply({0x4146, 0x3B30}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(check(rig.get()).hr, S_OK);
    expectNothingWasTaken();
}

TEST_F(SerialRigTest, ArrayWithInvertedBoundsYieldsNoBytes) {
    port->queue(testsupport::invertedBoundsReply("FA00007000000;"));
    EXPECT_EQ(check(rig.get()).hr, S_OK);
    expectNothingWasTaken();
}

TEST_F(SerialRigTest, TwoDimensionalArrayYieldsNoBytes) {
    port->queue(testsupport::twoDimensionalReply("FA00007000000;", 2));
    EXPECT_EQ(check(rig.get()).hr, S_OK);
    expectNothingWasTaken();
}

TEST_F(SerialRigTest, EmptyByteArrayYieldsNoBytes) {
    EXPECT_EQ(receive("").hr, S_OK);
    expectNothingWasTaken();
}

TEST_F(SerialRigTest, NonAsciiAndOverlongResponsesAreIgnored) {
    std::string noise;
    for (int c = 0x80; c <= 0xFF; ++c) noise += static_cast<char>(c);
    noise += ";";
    noise += std::string(100000, '\0') + ";";
    EXPECT_EQ(receive(noise).hr, S_OK);
    expectNothingWasTaken();
}

}  // namespace
