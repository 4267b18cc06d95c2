// An owning interface pointer. Every verb says what it does to reference
// counts, so a reader can balance them without looking inside:
//   ComPtr<I>::adopt(p)   takes over a reference the caller already owns
//   ComPtr<I>::retain(p)  takes a new reference (AddRef)
//   reset()               releases the held reference (Release)
//   detach()              gives the held reference to the caller, no change
//   copyTo(out)           hands the caller a new reference (AddRef)
//   receive()             releases the held reference and offers the slot to
//                         a call that returns a reference through I**
//   get(), ->             borrow, no change
#pragma once

#include <utility>

namespace com {

template <class I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) { addRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    static ComPtr adopt(I* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    static ComPtr retain(I* p) {
        ComPtr result;
        result.p_ = p;
        result.addRef();
        return result;
    }

    void reset() {
        if (I* old = std::exchange(p_, nullptr)) old->Release();
    }

    I* detach() { return std::exchange(p_, nullptr); }

    void copyTo(I** out) const {
        *out = p_;
        if (p_) p_->AddRef();
    }

    I** receive() {
        reset();
        return &p_;
    }

    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    void addRef() {
        if (p_) p_->AddRef();
    }

    I* p_ = nullptr;
};

}  // namespace com
