#include "files_ahead.h"

#include "read_buffer.h"

namespace runtime {
namespace {

// The pieces a reader reads ahead in: the system reads ahead of them on
// its own, so they need not be large, and every reader holds one.
constexpr std::size_t FetchPiece = 64 * 1024;
// The bytes the waiting files may hold between them: most maps of a share are
// then read whole by the readers, yet 64 requests in flight cost the search
// only a few MiB. Past it, a file's start is only brought into memory.
constexpr std::uint64_t KeptBudget = 8u << 20;

} // namespace

FilesAhead::FilesAhead(std::size_t count, unsigned depth, std::uint64_t bytes, Open open,
                       const ThreadStarter &startThread)
    : open_(std::move(open)), bytes_(bytes), states_(count, State::Free),
      slots_(2 * static_cast<std::size_t>(std::max(depth, 1u)))
{
    const std::size_t wanted = std::min<std::size_t>(depth, count);
    readers_.reserve(wanted);
    for (std::size_t i = 0; i < wanted; ++i) {
        try {
            readers_.push_back(startThread ? startThread([this] { read(); }) : std::jthread([this] { read(); }));
        } catch (const std::exception &) {
            break; // fewer readers; the users open what nobody reached
        }
    }
}

FilesAhead::~FilesAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    room_.notify_all();
    readers_.clear(); // joins
}

void FilesAhead::passTaken()
{
    while (next_ < states_.size() && states_[next_] != State::Free)
        ++next_;
}

void FilesAhead::advanceFirst()
{
    while (first_ < states_.size() && states_[first_] == State::Taken)
        ++first_;
}

void FilesAhead::read()
{
    std::unique_ptr<ReadBuffer> piece; // made at the first read, on this thread
    for (;;) {
        std::size_t item = 0;
        {
            std::unique_lock lock(mutex_);
            room_.wait(lock, [&] {
                passTaken();
                return stopping_ || next_ >= states_.size() || next_ < first_ + slots_.size();
            });
            if (stopping_ || next_ >= states_.size())
                return;
            item = next_++;
            states_[item] = State::Opening;
        }
        Slot slot{std::make_unique<IoCheckedFile>(), nullptr};
        try {
            open_(item, *slot.file);
            const std::uint64_t keep = std::min(bytes_, slot.file->blockSize() + 1);
            {
                const std::lock_guard lock(mutex_);
                if (kept_ + keep <= KeptBudget) {
                    kept_ += keep;
                    slot.kept = keep;
                }
            }
            if (slot.kept != 0) {
                KeepStart(*slot.file, bytes_);
            } else {
                if (!piece)
                    piece = std::make_unique<ReadBuffer>(FetchPiece);
                FetchStart(*slot.file, bytes_, piece->span());
            }
        } catch (...) {
            slot.error = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            slots_[item % slots_.size()] = std::move(slot);
            states_[item] = State::Ready;
        }
        ready_.notify_all();
    }
}

std::unique_ptr<IoCheckedFile> FilesAhead::take(std::size_t item)
{
    std::unique_lock lock(mutex_);
    if (states_[item] == State::Free) {
        states_[item] = State::Taken;
        advanceFirst();
        lock.unlock();
        room_.notify_all();
        auto file = std::make_unique<IoCheckedFile>();
        open_(item, *file);
        return file;
    }
    ready_.wait(lock, [&] { return states_[item] == State::Ready; });
    Slot slot = std::move(slots_[item % slots_.size()]);
    states_[item] = State::Taken;
    kept_ -= slot.kept;
    advanceFirst();
    lock.unlock();
    room_.notify_all();
    if (slot.error)
        std::rethrow_exception(slot.error);
    return std::move(slot.file);
}

} // namespace runtime
