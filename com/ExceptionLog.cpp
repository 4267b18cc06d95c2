#include "com/ExceptionLog.h"

#include <mutex>
#include <string>

#include "log/LogTrail.h"

namespace com {
namespace {

constexpr int kProcessWriter = 0;

std::mutex sinkMutex;
std::weak_ptr<LogTrail> sink;

}  // namespace

void setExceptionLog(const std::shared_ptr<LogTrail>& trail) {
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink = trail;
}

void logStoppedException(const char* what) noexcept {
    try {
        std::shared_ptr<LogTrail> trail;
        {
            std::lock_guard<std::mutex> lock(sinkMutex);
            trail = sink.lock();
        }
        if (trail) trail->writeDetails(kProcessWriter, "exception", [what] { return std::string(what ? what : ""); });
    } catch (...) {
        // Out of memory or a failing lock: the HRESULT still reports the failure.
    }
}

}  // namespace com
