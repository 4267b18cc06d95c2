// Keeps C++ exceptions inside the driver: every COM method body runs inside
// guard(), which turns an allocation failure into E_OUTOFMEMORY and any other
// exception into E_FAIL. Each exception it stops is written to the process
// log trail (ExceptionLog.h) as one details entry of writer 0, message
// "exception", the exception's text as details:
//     "  0    12 exception vector::_M_range_check: ..."
// ("unknown exception" when it carries no text), so that a failure the host
// only sees as an HRESULT still leaves its cause in the log.
#pragma once

#include <exception>
#include <new>

#include "com/ExceptionLog.h"
#include "com/Interfaces.h"

namespace com {

template <class Body>
HRESULT guard(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc& error) {
        logStoppedException(error.what());
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        logStoppedException(error.what());
        return E_FAIL;
    } catch (...) {
        logStoppedException("unknown exception");
        return E_FAIL;
    }
}

}  // namespace com
