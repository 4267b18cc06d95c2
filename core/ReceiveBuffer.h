// Received bytes that have not yet been cut into responses. A response is
// every byte from the front up to and including the next ';'. Taking a
// response only advances a read position; the consumed bytes are dropped when
// more arrive or the buffer is trimmed, so cutting a block of any size into
// responses costs time linear in its length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ReceiveBuffer {
public:
    void append(const char* data, size_t length);
    // The front response, removed from the buffer; empty (and the buffer
    // unchanged) while no ';' has arrived.
    std::string takeResponse();
    size_t size() const { return bytes_.size() - start_; }
    // The bytes not yet taken, complete responses and the partial one.
    std::string_view unread() const { return {bytes_.data() + start_, size()}; }
    // Drops the oldest bytes so that at most `cap` remain.
    void keepNewest(size_t cap);
    // Drops the bytes after the last ';' (all of them when there is none),
    // the start of a response that will never be finished; returns them.
    std::string dropUnfinished();

private:
    void dropConsumed();

    std::vector<char> bytes_;
    size_t start_ = 0;
};
