// The loop that drives an I/O service on a thread of its own: it runs the
// service in 50 ms slices and checks the owner's stop flag between slices,
// so a request to stop is noticed within one slice and an idle thread never
// spins.
#pragma once

#include <atomic>
#include <chrono>

#include <boost/asio/io_context.hpp>

namespace K4Ip {

inline constexpr std::chrono::milliseconds kRunSlice{50};

// Returns once `stop` is seen true, or once the service has stopped (it was
// stopped, or it has no operation left to complete: then nothing more can
// happen on it and running it again would only spin).
inline void runInSlices(boost::asio::io_context& service, const std::atomic<bool>& stop,
                        std::chrono::milliseconds slice = kRunSlice) {
    while (!stop && !service.stopped()) {
        service.run_for(slice);
    }
}

}  // namespace K4Ip
