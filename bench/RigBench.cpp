// Speed of the serial rig's receive path and poll cycle, driven through
// IQbRig by a stand-in host port that answers every ReadChars with one full
// poll answer, in a fresh byte array as a host would.
//
//   CheckFullPollAnswer        one Check over the five answers of a poll;
//                              items/s is responses parsed per second
//   PollCycle/logging:0 and 1  Launch + Check + GetFrequency, with the log
//                              trail closed and open
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "com/ComPtr.h"
#include "com/ObjectRoot.h"
#include "core/RigSerial.h"
#include "log/LogTrail.h"

namespace {

constexpr const char* kPollAnswer = "FA00014074000;FB00007012500;FT0;MD2;MD$2;";
constexpr int kResponsesPerAnswer = 5;

class AnsweringPort : public com::ObjectRoot, public IQbRigIO {
public:
    static const com::InterfaceTable<AnsweringPort>& interfaces() {
        static const com::InterfaceEntry<AnsweringPort> entries[] = {
            com::interfaceEntry<AnsweringPort, IQbRigIO>(IID_IQbRigIO)};
        static const com::InterfaceTable<AnsweringPort> table{entries};
        return table;
    }

    HRESULT STDMETHODCALLTYPE WriteChars(VARIANT, LONG*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReadChars(VARIANT* pReceived, LONG*) override {
        const size_t length = std::strlen(kPollAnswer);
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(length));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::memcpy(data, kPollAnswer, length);
        SafeArrayUnaccessData(array);
        pReceived->vt = VT_ARRAY | VT_UI1;
        pReceived->parray = array;
        return S_OK;
    }
};

struct Bench {
    explicit Bench(std::shared_ptr<LogTrail> log) {
        HRESULT hr = S_OK;
        auto* object = com::ComObject<CQbRigSerial>::create(&hr);
        object->setLog(std::move(log));
        object->setInstanceNumber(1);
        rig = com::ComPtr<IQbRig>::adopt(object);
        port = com::ComPtr<IQbRigIO>::adopt(com::ComObject<AnsweringPort>::create(&hr));
        rig->PutCommPort(port.get(), 0);
    }
    com::ComPtr<IQbRigIO> port;
    com::ComPtr<IQbRig> rig;
};

class LogFolder {
public:
    LogFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() / ("qbox-rigbench-" + std::to_string(stamp));
        std::filesystem::create_directories(path_);
    }
    ~LogFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void CheckFullPollAnswer(benchmark::State& state) {
    Bench bench(nullptr);
    LONG time = 0;
    for (auto _ : state) {
        bench.rig->Check(&time);
        benchmark::DoNotOptimize(time);
    }
    state.SetItemsProcessed(state.iterations() * kResponsesPerAnswer);
}
BENCHMARK(CheckFullPollAnswer);

void PollCycle(benchmark::State& state) {
    LogFolder folder;
    auto log = std::make_shared<LogTrail>();
    if (state.range(0) != 0) log->openInFolder(folder.path());
    Bench bench(log);
    LONG time = 0;
    double xmit = 0, rcv = 0;
    SHORT mode = 0, primary = 0, split = 0;
    for (auto _ : state) {
        bench.rig->Launch(&time);
        bench.rig->Check(&time);
        bench.rig->GetFrequency(&xmit, &rcv, &mode, &primary, &split);
        benchmark::DoNotOptimize(rcv);
    }
    if (rcv != 14074.0) state.SkipWithError("the poll answer was not parsed");
    state.SetItemsProcessed(state.iterations());
    bench.rig.reset();
}
BENCHMARK(PollCycle)->ArgName("logging")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
