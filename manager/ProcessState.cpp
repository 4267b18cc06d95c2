#include "manager/ProcessState.h"

#include <atomic>
#include <mutex>

#include "com/ExceptionLog.h"
#include "log/LogTrail.h"

namespace process {
namespace {

std::mutex trailMutex;
std::shared_ptr<LogTrail> trail;
std::atomic<int> rigCounter{0};

}  // namespace

std::shared_ptr<LogTrail> logTrail() {
    // Managers live on apartment threads; the lock makes creation sound even
    // when two apartments create their first manager at once.
    std::lock_guard<std::mutex> lock(trailMutex);
    if (!trail) {
        auto created = std::make_shared<LogTrail>();
        created->open();
        com::setExceptionLog(created);
        trail = std::move(created);
    }
    return trail;
}

void releaseLogTrail() {
    std::shared_ptr<LogTrail> released;
    {
        std::lock_guard<std::mutex> lock(trailMutex);
        released.swap(trail);
    }
}

int nextRigInstanceNumber() { return rigCounter.fetch_add(1) + 1; }

}  // namespace process
