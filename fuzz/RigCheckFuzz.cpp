// Feeds arbitrary byte streams through a serial rig. The input is read as a
// little program: each step's first byte picks an operation, and the bytes
// after it are that operation's data, so the fuzzer can deliver received
// bytes in chunks of any size, interleave them with Launch, Set and the other
// commands, hand responses straight to processResponse, move the injected
// clock either way, and answer ReadChars with malformed VARIANTs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "com/ObjectRoot.h"
#include "core/RigSerial.h"
#include "support/FakeRigIO.h"
#include "support/TestClock.h"

namespace {

// The serial rig with its response step opened up for direct calls.
class FuzzRig : public CQbRigSerial {
public:
    static const com::InterfaceTable<FuzzRig>& interfaces() {
        static const com::InterfaceEntry<FuzzRig> entries[] = {com::interfaceEntry<FuzzRig, IQbRig>(IID_IQbRig)};
        static const com::InterfaceTable<FuzzRig> table{entries};
        return table;
    }
    void respond(const std::string& response) { processResponse(response, std::make_shared<K4State>()); }

protected:
    explicit FuzzRig(platform::Clock clock) : CQbRigSerial(std::move(clock)) {}
};

class Program {
public:
    Program(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool done() const { return position_ >= size_; }
    uint8_t byte() { return done() ? 0 : data_[position_++]; }
    std::string bytes(size_t count) {
        const size_t taken = std::min(count, size_ - position_);
        std::string result(reinterpret_cast<const char*>(data_ + position_), taken);
        position_ += taken;
        return result;
    }
    // A chunk whose length is given by the next byte, or by the next two
    // when that byte is 255, so that long chunks are reachable.
    std::string chunk() {
        size_t length = byte();
        if (length == 255) length = size_t(byte()) << 8 | byte();
        return bytes(length);
    }
    template <class T>
    T value() {
        T result{};
        const std::string raw = bytes(sizeof(T));
        std::memcpy(&result, raw.data(), raw.size());
        return result;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

void expect(bool condition) {
    if (!condition) std::abort();
}

void checkOnce(IQbRig* rig) {
    LONG time = 0;
    expect(rig->Check(&time) == S_OK);
    expect(time == 10 || time == -1);
}

void malformedRead(testsupport::FakeRigIO& port, Program& program) {
    const std::string payload = program.chunk();
    switch (program.byte() % 5) {
    case 0: port.queue(testsupport::bstrReply(std::u16string(payload.begin(), payload.end()))); break;
    case 1: port.queue(testsupport::emptyReply()); break;
    case 2: port.queue(testsupport::invertedBoundsReply(payload)); break;
    case 3: port.queue(testsupport::twoDimensionalReply(payload, 1 + program.byte() % 3)); break;
    default: port.queue(testsupport::shortArrayReply({SHORT(payload.size()), -1})); break;
    }
}

void step(FuzzRig& rig, testsupport::FakeRigIO& port, testsupport::TestClock& clock, Program& program) {
    LONG time = 0;
    switch (program.byte() % 9) {
    case 0: port.queueBytes(program.chunk()); checkOnce(&rig); break;
    case 1: expect(rig.Launch(&time) == S_OK); break;
    case 2: {
        const double xmit = program.value<double>();
        const double rcv = program.value<double>();
        const auto mode = program.value<SHORT>();
        const auto split = program.value<SHORT>();
        expect(rig.Set(xmit, rcv, mode, program.value<SHORT>(), split, &time) == S_OK);
        break;
    }
    case 3: clock.advance(int64_t(program.value<int16_t>()) * 1'000'000); break;
    case 4: rig.respond(program.chunk()); break;
    case 5: expect(rig.TuneFrequency(program.value<LONG>(), &time) == S_OK); break;
    case 6: expect(rig.Xmit(program.value<LONG>(), &time) == S_OK && time == 5); break;
    case 7: {
        double xmit = 0, rcv = 0;
        SHORT mode = 0, primary = 0, split = 0;
        expect(rig.GetFrequency(&xmit, &rcv, &mode, &primary, &split) == S_OK);
        expect(split == 0 || split == 1);
        break;
    }
    default: malformedRead(port, program); checkOnce(&rig); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testsupport::TestClock clock;
    testsupport::FakeRigIO::Ptr port = testsupport::FakeRigIO::create();
    HRESULT hr = S_OK;
    com::ComPtr<com::ComObject<FuzzRig>> rig =
        com::ComPtr<com::ComObject<FuzzRig>>::adopt(com::ComObject<FuzzRig>::create(&hr, clock.clock()));
    expect(rig && rig->PutCommPort(port.get(), 0) == S_OK);
    Program program(data, size);
    while (!program.done()) {
        step(*rig.get(), *port.get(), clock, program);
        port->clearWrites();
    }
    return 0;
}
