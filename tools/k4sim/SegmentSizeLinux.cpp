#include <netinet/in.h>
#include <netinet/tcp.h>

#include "SegmentSize.h"

namespace k4sim {

void limitSegmentSize(boost::asio::ip::tcp::acceptor& acceptor, int bytes) {
    using MaxSegment = boost::asio::detail::socket_option::integer<IPPROTO_TCP, TCP_MAXSEG>;
    boost::system::error_code ignored;
    acceptor.set_option(MaxSegment(bytes), ignored);
}

}  // namespace k4sim
