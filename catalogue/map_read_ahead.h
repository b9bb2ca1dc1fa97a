#pragma once

#include "runtime/files_ahead.h"
#include "runtime/io_checked_file.h"
#include "runtime/ordered_work.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <optional>

namespace catalogue {

// The maps of one reading, opened ahead of their turn so that storage
// serves many requests at once while the threads match; each map's file,
// or its error, still comes at the map's own turn.
//
// How far ahead depends on the storage. On a local disk whose maps are in
// memory (the common case), each thread opens the rest of its run at the
// run's start and asks the system to read their first bytes, unless the
// run's last map starts in memory: no threads and no calls beyond that. On
// a share, or a local disk whose maps are not in memory, readers of their
// own (FilesAhead) keep `depth` opens and first reads waiting at once.
class MapsAhead final {
public:
    using Open = runtime::FilesAhead::Open;

    // count maps, each opened by open; bytes of each are read ahead. depth
    // is the readers wanted, or 0 to let ChooseIoDepth choose from folderFd.
    MapsAhead(std::size_t count, Open open, std::uint64_t bytes, unsigned depth, int folderFd);

    // The readers at work; 0 where each thread opens its own run ahead.
    std::size_t readers() const { return wide_ ? wide_->readers() : 0; }

    // One per thread.
    class Reader final {
    public:
        explicit Reader(MapsAhead &maps) : maps_(maps) {}
        // Item's file, open; raises its open error. Valid until the next call.
        runtime::IoCheckedFile &file(std::size_t item, const runtime::WorkRun &run);

    private:
        struct Opened {
            runtime::IoCheckedFile file;
            std::exception_ptr error; // raised at the map's turn
        };
        void openRun(const runtime::WorkRun &run);

        MapsAhead &maps_;
        std::deque<Opened> ahead_; // items aheadFirst_ on of the current run
        std::size_t aheadFirst_ = 0;
        std::unique_ptr<runtime::IoCheckedFile> own_; // opened at its turn, or taken from the readers
    };

private:
    Open open_;
    std::uint64_t bytes_;
    std::optional<runtime::FilesAhead> wide_;
};

// The requests in flight for a reading of count maps: requested when given,
// else the one the user fixed for the process, else the wide depth on a
// share (remote: runtime::StorageIsRemote), else, on a local disk, the wide
// depth only when the list's last map does not start in memory (one open
// tells: a cold disk serves many reads at once too). 0: no readers.
unsigned ChooseIoDepth(unsigned requested, bool remote, std::size_t count, const MapsAhead::Open &open);

} // namespace catalogue
