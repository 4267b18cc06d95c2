// The serial rig's transfer unit with the host's port: a VARIANT of type
// VT_ARRAY | VT_UI1 holding a one-dimensional byte SAFEARRAY.
#pragma once

#include <string>
#include <vector>

#include "com/Interfaces.h"

namespace serialtransfer {

// A VARIANT that is cleared (its array or string freed) when it goes out of
// scope, whatever path the caller leaves by.
class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value_); }
    ~OwnedVariant() { VariantClear(&value_); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// Fills *out with a new array of the text's bytes, lower bound 0. On failure
// (no memory) *out is left empty and E_OUTOFMEMORY returned.
HRESULT makeByteArray(const std::string& text, VARIANT* out);

// The bytes of a received VARIANT, from the lower to the upper bound of its
// one dimension. Anything else (another type, a missing array, more than one
// dimension, bounds that cannot be read or are inverted, no data) gives no
// bytes. The VARIANT is not changed.
std::vector<char> bytesOf(const VARIANT& received);

}  // namespace serialtransfer
