// Keeps C++ exceptions inside the driver: every COM method body runs inside
// guard(), which turns an allocation failure into E_OUTOFMEMORY and any other
// exception into E_FAIL.
#pragma once

#include <exception>
#include <new>

#include "com/Interfaces.h"

namespace com {

template <class Body>
HRESULT guard(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace com
