#include "map_chunk_reader.h"

namespace catalogue {

std::optional<std::string_view> MapChunkReader::next()
{
    if (failure_)
        throw *failure_;
    const bool atEnd = runtime::BlockFileAtEnd(file_);
    runtime::CheckIo();
    if (atEnd)
        return std::nullopt;
    const std::size_t got = runtime::ReadBlock(file_, buffer_.data(), buffer_.size());
    try {
        runtime::CheckIo();
    } catch (const runtime::EInOutError &error) {
        if (got == 0)
            throw;
        failure_ = error;
    }
    if (got == 0)
        return std::nullopt;
    return std::string_view(buffer_.data(), got);
}

} // namespace catalogue
