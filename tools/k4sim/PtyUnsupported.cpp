#include <stdexcept>

#include "Pty.h"

namespace k4sim {

std::shared_ptr<PtyServer> openPty(boost::asio::io_context&, std::shared_ptr<Radio>, const std::string&) {
    throw std::runtime_error("pseudo-terminals are not available on this system");
}

}  // namespace k4sim
