// The host's serial port as a rig test sees it: a COM object that records
// every WriteChars (the bytes and the shape of the VARIANT they came in) and
// answers each ReadChars with the next queued reply, or with an empty
// VARIANT when none is queued. Replies are functions that fill the VARIANT,
// so a test can return well-formed byte arrays and malformed ones alike.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "com/ObjectRoot.h"

namespace testsupport {

class FakeRigIO : public com::ObjectRoot, public IQbRigIO {
public:
    struct Write {
        std::string bytes;
        VARTYPE type = VT_EMPTY;
        UINT dimensions = 0;
        LONG lowerBound = 0;
        LONG upperBound = 0;
    };
    struct Read {
        VARTYPE typeOnEntry = VT_EMPTY;
        LONG commErrorOnEntry = 0;
    };
    using Reply = std::function<void(VARIANT*)>;
    using Ptr = com::ComPtr<com::ComObject<FakeRigIO>>;

    static const com::InterfaceTable<FakeRigIO>& interfaces();
    static Ptr create();

    HRESULT STDMETHODCALLTYPE WriteChars(VARIANT Chars, LONG* pCommError) override;
    HRESULT STDMETHODCALLTYPE ReadChars(VARIANT* pReceived, LONG* pCommError) override;

    void queue(Reply reply) { replies_.push_back(std::move(reply)); }
    void queueBytes(const std::string& bytes);

    ULONG references() const { return refCount_; }
    const std::vector<Write>& writes() const { return writes_; }
    const std::vector<Read>& reads() const { return reads_; }
    // The texts written, in order.
    std::vector<std::string> texts() const;
    void clearWrites() { writes_.clear(); }

private:
    std::deque<Reply> replies_;
    std::vector<Write> writes_;
    std::vector<Read> reads_;
};

// Replies for FakeRigIO::queue.
FakeRigIO::Reply byteArrayReply(const std::string& bytes);
FakeRigIO::Reply bstrReply(const std::u16string& text);
FakeRigIO::Reply emptyReply();
// A byte array holding `bytes` whose descriptor claims an upper bound below
// its lower bound.
FakeRigIO::Reply invertedBoundsReply(const std::string& bytes);
// A two-dimensional byte array, every row holding `bytes`.
FakeRigIO::Reply twoDimensionalReply(const std::string& bytes, ULONG rows);
// A one-dimensional array of 16-bit integers.
FakeRigIO::Reply shortArrayReply(const std::vector<SHORT>& values);

}  // namespace testsupport
