#include "platform/DetachedThread.h"

#include <thread>

namespace platform {

void runDetached(std::function<void()> work) {
    std::thread([work = std::move(work)] {
        try {
            work();
        } catch (...) {
        }
    }).detach();
}

}  // namespace platform
