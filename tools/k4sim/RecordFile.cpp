#include "RecordFile.h"

#include <stdexcept>

namespace k4sim {

RecordFile::RecordFile(const std::string& path) : out_(path, std::ios::binary | std::ios::app) {
    if (!out_) throw std::runtime_error("cannot open record file " + path);
}

void RecordFile::append(const char* data, std::size_t size) {
    out_.write(data, static_cast<std::streamsize>(size));
    out_.flush();
}

}  // namespace k4sim
