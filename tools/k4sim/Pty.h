// A radio served on a pseudo-terminal, as a serial rig sees it. Available
// on Linux; elsewhere openPty throws.
#pragma once

#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>

#include "Radio.h"

namespace k4sim {

class PtyServer {
public:
    virtual ~PtyServer() = default;
    // The terminal a serial client opens, e.g. /dev/pts/3.
    virtual const std::string& path() const = 0;
    // Simulator's thread: stops serving, removes the link.
    virtual void close() = 0;
};

// Opens a raw terminal and serves `radio` on it through `io`. With a
// non-empty `linkPath`, a symbolic link to the terminal is made there (an
// existing link is replaced). Throws std::system_error on failure.
std::shared_ptr<PtyServer> openPty(boost::asio::io_context& io, std::shared_ptr<Radio> radio,
                                   const std::string& linkPath);

}  // namespace k4sim
