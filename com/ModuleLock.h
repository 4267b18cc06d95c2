// The server module's lock count: one per live COM object of the driver, one
// per outstanding LockServer(TRUE), and one while the cached class object is
// held from outside. DllCanUnloadNow reports S_OK only at zero. The count is
// atomic because objects of different apartments may come and go at once.
#pragma once

#include <atomic>

namespace com {

class ModuleLock {
public:
    static void lock() { count_.fetch_add(1, std::memory_order_relaxed); }
    static void unlock() { count_.fetch_sub(1, std::memory_order_acq_rel); }
    static long count() { return count_.load(std::memory_order_acquire); }

private:
    static inline std::atomic<long> count_{0};
};

}  // namespace com
