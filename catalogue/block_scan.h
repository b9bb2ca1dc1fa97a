#pragma once

#include "runtime/io_checked_file.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace catalogue {

// Hands out an open map file as consecutive 2048-byte blocks (the last one
// shorter). Keys and search texts are looked for within one block at a time.
// It reads many blocks per call to the host, which gives the same blocks at
// a fraction of the cost.
class MapBlockReader final {
public:
    static constexpr std::size_t BlockSize = 2048;
    static constexpr std::size_t BlocksPerRead = 32;

    MapBlockReader();

    // Starts on a file opened with OpenBlockFile and a record size of 1.
    void start(runtime::IoCheckedFile &file);

    // The next block; false at the end of the file. Every read is checked.
    bool next(std::string_view &block);

private:
    runtime::IoCheckedFile *file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t filled_ = 0;
    std::size_t offset_ = 0;
};

} // namespace catalogue
