// The parts of the end-to-end benchmark that decide what a figure means: the
// poll sampler keeps a poll's time only once the rig shows that the poll was
// answered in full, percentiles by rank, and the CPU time read from a
// /proc/PID/stat text. The sampler drives a real serial rig over a port that
// answers each poll it is written with scripted reads.
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bench/e2e/Figures.h"
#include "bench/e2e/Polling.h"
#include "bench/e2e/ProcessStat.h"
#include "com/ComPtr.h"
#include "manager/RigPreparation.h"
#include "com/ObjectRoot.h"

namespace {

const std::string kPoll = "FA;FB;FT;MD;MD$;";
const std::string kAnswers = "FA00014074000;FB00007010000;FT0;MD2;MD$2;";

// A radio behind a port: each poll written makes the next script entry's
// reads available, one per ReadChars (an empty read once they are used up);
// polls beyond the script are answered whole in one read.
class ScriptedRadioPort : public com::ObjectRoot, public IQbRigIO {
public:
    using Ptr = com::ComPtr<com::ComObject<ScriptedRadioPort>>;

    static const com::InterfaceTable<ScriptedRadioPort>& interfaces() {
        static const com::InterfaceEntry<ScriptedRadioPort> entries[] = {
            com::interfaceEntry<ScriptedRadioPort, IQbRigIO>(IID_IQbRigIO)};
        static const com::InterfaceTable<ScriptedRadioPort> table{entries};
        return table;
    }

    static Ptr create(std::deque<std::vector<std::string>> script) {
        HRESULT hr = S_OK;
        Ptr port = Ptr::adopt(com::ComObject<ScriptedRadioPort>::create(&hr));
        port->script_ = std::move(script);
        return port;
    }

    HRESULT STDMETHODCALLTYPE WriteChars(VARIANT Chars, LONG* pCommError) override {
        void* data = nullptr;
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(Chars.parray, 1, &lower);
        SafeArrayGetUBound(Chars.parray, 1, &upper);
        SafeArrayAccessData(Chars.parray, &data);
        const std::string text(static_cast<const char*>(data), static_cast<size_t>(upper - lower + 1));
        SafeArrayUnaccessData(Chars.parray);
        if (text == kPoll) answerPoll();
        *pCommError = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ReadChars(VARIANT* pReceived, LONG* pCommError) override {
        std::string bytes;
        if (!reads_.empty()) {
            bytes = reads_.front();
            reads_.pop_front();
        }
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
        VariantClear(pReceived);
        pReceived->vt = VT_ARRAY | VT_UI1;
        pReceived->parray = array;
        *pCommError = 0;
        return S_OK;
    }

    int polls() const { return polls_; }

private:
    void answerPoll() {
        ++polls_;
        if (script_.empty()) {
            reads_.push_back(kAnswers);
            return;
        }
        for (const std::string& read : script_.front()) reads_.push_back(read);
        script_.pop_front();
    }

    std::deque<std::vector<std::string>> script_;
    std::deque<std::string> reads_;
    int polls_ = 0;
};

class PollSamplerTest : public ::testing::Test {
protected:
    void connect(std::deque<std::vector<std::string>> script) {
        port = ScriptedRadioPort::create(std::move(script));
        ASSERT_EQ(rig::createSerial(rig.receive()), S_OK);
        ASSERT_EQ(rig->PutCommPort(port.get(), 0), S_OK);
    }

    ScriptedRadioPort::Ptr port;
    com::ComPtr<IQbRig> rig;
};

TEST_F(PollSamplerTest, KeepsEveryPollAnsweredInFullOnceTheNextLaunchConfirmsIt) {
    connect({});
    e2e::PollSampler sampler(rig.get(), e2e::CheckPace::tight);
    std::vector<double> micros;

    sampler.poll(micros);
    EXPECT_TRUE(micros.empty()) << "not confirmed before the next Launch";
    sampler.poll(micros);
    EXPECT_EQ(micros.size(), 1u);
    sampler.finish();

    EXPECT_EQ(micros.size(), 2u);
    EXPECT_EQ(sampler.incomplete(), 0);
    EXPECT_EQ(port->polls(), 3);
    for (double sample : micros) EXPECT_GE(sample, 0.0);
}

// The first poll's answers come in two parts with an empty read between
// them: once an answer has begun, the rig keeps hinting until its "MD$", so
// the poll is timed whole.
TEST_F(PollSamplerTest, KeepsAPollWhoseAnswerPausedBeforeItsLastPart) {
    connect({{"FA00014074000;FB00007010000;", "", "FT0;MD2;MD$2;"}});
    e2e::PollSampler sampler(rig.get(), e2e::CheckPace::yield);
    std::vector<double> micros;

    sampler.poll(micros);
    sampler.finish();

    EXPECT_EQ(micros.size(), 1u);
    EXPECT_EQ(sampler.incomplete(), 0);
    EXPECT_EQ(port->polls(), 2);
}

TEST(SpreadTest, PercentilesAreSamplesByRank) {
    std::vector<double> samples;
    for (int i = 100; i >= 1; --i) samples.push_back(i);
    const e2e::Spread spread = e2e::spreadOf(samples);
    EXPECT_EQ(spread.count, 100u);
    EXPECT_EQ(spread.median, 51);
    EXPECT_EQ(spread.p90, 91);
    EXPECT_EQ(spread.p99, 100);
    EXPECT_EQ(spread.max, 100);

    const e2e::Spread none = e2e::spreadOf({});
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.max, 0);
}

TEST(ProcessStatTest, ReadsUserAndSystemTicksAfterTheCommandName) {
    // Fields 14 and 15 (utime 250, stime 50 ticks); the name holds ") " itself.
    const std::string stat = "4242 (wine) (x) S 1 4242 4242 0 -1 4194560 900 0 0 0 250 50 0 0 20 0 1 0 77 0";
    EXPECT_DOUBLE_EQ(e2e::cpuSecondsOfStat(stat), 3.0);
    EXPECT_EQ(e2e::cpuSecondsOfStat("4242 (cut short) S 1 2"), 0.0);
    EXPECT_EQ(e2e::cpuSecondsOfStat(""), 0.0);
    EXPECT_EQ(e2e::statFileCpuSeconds("no/such/stat/file"), 0.0);
}

}  // namespace
