#include "map_read_ahead.h"

#include "map_chunk_reader.h"
#include "runtime/io_depth.h"
#include "runtime/io_error.h"

#include <algorithm>
#include <utility>

namespace catalogue {
namespace {

// The bytes the maps waiting for the threads may hold between them on a
// share: most maps are read whole by the readers, and 64 requests in flight
// cost only a few MiB. A local disk keeps nothing: its page cache serves the
// threads' own reads without a round trip.
constexpr std::uint64_t KeptOnAShare = 8u << 20;

} // namespace

unsigned ChooseIoDepth(unsigned requested, bool remote, std::size_t count, const MapsAhead::Open &open)
{
    if (requested != 0)
        return requested;
    if (const unsigned fixed = runtime::FixedIoDepth(); fixed != 0)
        return fixed;
    if (remote)
        return runtime::WideIoDepth;
    if (count == 0)
        return 0;
    runtime::IoCheckedFile probe;
    try {
        open(count - 1, probe);
    } catch (const runtime::EInOutError &) {
        return 0; // its own turn reports it
    }
    return runtime::StartIsInMemory(probe) ? 0 : runtime::WideIoDepth;
}

MapsAhead::MapsAhead(std::size_t count, Open open, std::uint64_t bytes, unsigned depth, int folderFd)
    : open_(std::move(open)), bytes_(bytes)
{
    // Twice the depth of maps wait open: within the process's share of files.
    // One look at the file system: on a share even statfs waits a round trip.
    const bool remote = runtime::StorageIsRemote(folderFd);
    const unsigned chosen = std::min(ChooseIoDepth(depth, remote, count, open_), runtime::DescriptorShare() / 2);
    if (chosen != 0)
        wide_.emplace(count, chosen, bytes_, remote ? KeptOnAShare : 0, open_);
}

void MapsAhead::Reader::openRun(const runtime::WorkRun &run)
{
    ahead_.clear(); // what a stopped run left open
    aheadFirst_ = run.first + 1;
    if (maps_.bytes_ == 0)
        return; // nothing to read: each map opens at its turn
    for (std::size_t j = aheadFirst_; j < run.last; ++j) {
        Opened &opened = ahead_.emplace_back();
        try {
            maps_.open_(j, opened.file);
        } catch (...) {
            opened.error = std::current_exception();
        }
    }
    ReadAheadUnlessInMemory(ahead_, maps_.bytes_);
}

runtime::IoCheckedFile &MapsAhead::Reader::file(std::size_t item, const runtime::WorkRun &run)
{
    if (maps_.wide_) {
        own_ = maps_.wide_->take(item);
        return *own_;
    }
    if (item == run.first)
        openRun(run);
    if (item >= aheadFirst_ && item - aheadFirst_ < ahead_.size()) {
        Opened &opened = ahead_[item - aheadFirst_];
        if (opened.error)
            std::rethrow_exception(std::exchange(opened.error, {}));
        return opened.file;
    }
    if (!own_)
        own_ = std::make_unique<runtime::IoCheckedFile>();
    maps_.open_(item, *own_);
    return *own_;
}

} // namespace catalogue
