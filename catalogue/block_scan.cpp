#include "block_scan.h"

#include "runtime/io_error.h"

#include <algorithm>

namespace catalogue {

MapBlockReader::MapBlockReader() : buffer_(BlockSize * BlocksPerRead) {}

void MapBlockReader::start(runtime::IoCheckedFile &file)
{
    file_ = &file;
    filled_ = offset_ = 0;
}

bool MapBlockReader::next(std::string_view &block)
{
    if (offset_ >= filled_) {
        const bool atEnd = runtime::BlockFileAtEnd(*file_);
        runtime::CheckIo();
        if (atEnd)
            return false;
        filled_ = runtime::ReadBlock(*file_, buffer_.data(), buffer_.size());
        runtime::CheckIo();
        offset_ = 0;
        if (filled_ == 0)
            return false;
    }
    const std::size_t length = std::min(BlockSize, filled_ - offset_);
    block = std::string_view(buffer_.data() + offset_, length);
    offset_ += length;
    return true;
}

} // namespace catalogue
