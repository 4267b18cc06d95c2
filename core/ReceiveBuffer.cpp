#include "core/ReceiveBuffer.h"

#include <algorithm>
#include <cstring>

void ReceiveBuffer::append(const char* data, size_t length) {
    if (length == 0) return;
    dropConsumed();
    bytes_.insert(bytes_.end(), data, data + length);
}

std::string ReceiveBuffer::takeResponse() {
    if (size() == 0) return std::string();
    const char* front = bytes_.data() + start_;
    const void* end = std::memchr(front, ';', size());
    if (!end) return std::string();
    std::string response(front, static_cast<const char*>(end) + 1);
    start_ += response.size();
    if (start_ == bytes_.size()) {
        bytes_.clear();
        start_ = 0;
    }
    return response;
}

void ReceiveBuffer::keepNewest(size_t cap) {
    if (size() > cap) start_ = bytes_.size() - cap;
    dropConsumed();
}

std::string ReceiveBuffer::dropUnfinished() {
    if (size() == 0) return std::string();
    const char* front = bytes_.data() + start_;
    size_t finished = size();
    while (finished > 0 && front[finished - 1] != ';') --finished;
    std::string dropped(front + finished, front + size());
    bytes_.resize(start_ + finished);
    return dropped;
}

void ReceiveBuffer::dropConsumed() {
    if (start_ == 0) return;
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
}
