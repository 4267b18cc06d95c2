// What the link tests reach inside a rig client: the moments at which a
// connection's end may be held, a read completion queued by hand, and the
// run loop's slice.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/post.hpp>

#include "net/RigClient.h"
#include "net/RigClientImpl.h"

namespace K4Ip {

struct RigClientTestAccess {
    static RigClientImpl& impl(RigClient& handle) { return *handle.impl_; }
    // Set before the connection starts, or before the host's side ends it.
    static void setEndingProbe(RigClientImpl& client, std::function<void(RigClientImpl::EndingStep)> probe) {
        client.endingProbe = std::move(probe);
    }
    // Queues the completion of a read that brought these bytes, as when the
    // system delivered them just as the connection's run loop ended.
    static void queueReceived(RigClientImpl& client, const std::string& bytes) {
        auto chunk = std::make_shared<std::vector<char>>(bytes.begin(), bytes.end());
        boost::asio::post(client.ioContext, [&client, chunk] { client.storeReceived(chunk); });
    }
    // Set before the connection starts.
    static void setRunSlice(RigClientImpl& client, std::chrono::milliseconds slice) { client.runSlice = slice; }
    // Holds the connection thread (no text is written) until the connection
    // is asked to end.
    static void holdWritesUntilEnding(RigClientImpl& client) {
        boost::asio::post(client.ioContext, [&client] {
            while (!client.stopping) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    // Bytes of texts waiting behind the one being written.
    static std::size_t queuedBytes(RigClientImpl& client) {
        std::lock_guard<std::mutex> lock(client.mutex);
        return client.outboxBytes;
    }
};

}  // namespace K4Ip
