#include "files_ahead.h"

namespace runtime {

FilesAhead::FilesAhead(std::size_t count, unsigned depth, std::uint64_t bytes, std::uint64_t keepAtMost, Open open,
                       const ThreadStarter &startThread)
    : open_(std::move(open)), bytes_(bytes), keepAtMost_(keepAtMost),
      pages_(keepAtMost != 0 ? PagePool::Make(keepAtMost) : nullptr), states_(count, State::Free),
      slots_(2 * static_cast<std::size_t>(std::max(depth, 1u))), turns_(slots_.size())
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
    for (std::condition_variable &turn : turns_)
        turn.notify_all();
    readers_.clear(); // joins
}

void FilesAhead::passTaken()
{
    while (next_ < states_.size() && states_[next_] != State::Free)
        ++next_;
}

void FilesAhead::advanceFirst()
{
    const std::size_t was = first_;
    while (first_ < states_.size() && states_[first_] == State::Taken)
        ++first_;
    // One reader a slot come free: waking every reader at every file kept
    // the machine busy switching between them.
    if (first_ - was == 1)
        room_.notify_one();
    else if (first_ != was)
        room_.notify_all();
}

void FilesAhead::passKeepTurn()
{
    while (keepTurn_ < states_.size() && (states_[keepTurn_] == State::Ready || states_[keepTurn_] == State::Taken))
        ++keepTurn_;
    if (keepTurn_ < states_.size() && states_[keepTurn_] == State::WaitingForRoom)
        turns_[keepTurn_ % turns_.size()].notify_all(); // its room may have come
}

void FilesAhead::bringStart(std::size_t item, Slot &slot)
{
    if (bytes_ == 0)
        return; // nothing wanted (a search for no text): no room to wait for either
    if (keepAtMost_ == 0) {
        StartReadingAhead(*slot.file, bytes_);
        return;
    }
    const std::uint64_t keep = PagePool::Rounded(std::min(bytes_, slot.file->blockSize() + 1));
    {
        // Room goes to the files in list order: room given to later files
        // first would leave the next one the users want waiting for it.
        std::unique_lock lock(mutex_);
        states_[item] = State::WaitingForRoom;
        turns_[item % turns_.size()].wait(lock, [&] {
            return stopping_ || (item == keepTurn_ && (keptNow_ + keep <= keepAtMost_ || item == first_));
        });
        states_[item] = State::Opening;
        if (stopping_)
            return;
        keptNow_ += keep;
        slot.kept = keep;
        ++keepTurn_;
        passKeepTurn();
    }
    KeepStart(*slot.file, bytes_, pages_.get());
}

void FilesAhead::read()
{
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
            bringStart(item, slot);
        } catch (...) {
            slot.error = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            slots_[item % slots_.size()] = std::move(slot);
            states_[item] = State::Ready;
            passKeepTurn();
        }
        turns_[item % turns_.size()].notify_all(); // its user
    }
}

std::unique_ptr<IoCheckedFile> FilesAhead::take(std::size_t item)
{
    std::unique_lock lock(mutex_);
    if (states_[item] == State::Free) {
        states_[item] = State::Taken;
        advanceFirst();
        passKeepTurn();
        lock.unlock();
        auto file = std::make_unique<IoCheckedFile>();
        open_(item, *file);
        return file;
    }
    turns_[item % turns_.size()].wait(lock, [&] { return states_[item] == State::Ready; });
    Slot slot = std::move(slots_[item % slots_.size()]);
    states_[item] = State::Taken;
    keptNow_ -= slot.kept;
    advanceFirst();
    passKeepTurn();
    lock.unlock();
    if (slot.error)
        std::rethrow_exception(slot.error);
    return std::move(slot.file);
}

} // namespace runtime
