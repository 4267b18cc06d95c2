#include "SegmentSize.h"

namespace k4sim {

void limitSegmentSize(boost::asio::ip::tcp::acceptor&, int) {}

}  // namespace k4sim
