#include "ordered_work.h"

namespace runtime {

OrderedWindow::OrderedWindow(std::size_t count, std::size_t size, std::size_t run, const std::atomic<bool> *cancel)
    : filled_(std::max<std::size_t>(size, 1)), count_(count), run_(std::clamp<std::size_t>(run, 1, filled_.size())),
      stop_(cancel)
{}

OrderedWindow::~OrderedWindow()
{
    end();
    workers_.clear(); // joins
}

std::size_t OrderedWindow::start(std::size_t threads, const ThreadStarter &starter, std::function<void()> body)
{
    body_ = std::move(body);
    threads_ = threads + 1; // before any worker claims; the calling thread works too
    workers_.reserve(threads);
    // Where each worker runs is the system's choice: moving them to cores of
    // our own cost up to 2 ms a job on a busy machine, more than it saved.
    for (std::size_t t = 0; t < threads; ++t) {
        const auto run = [this] {
            {
                const std::lock_guard lock(mutex_);
                ++running_;
            }
            ready_.notify_all();
            body_();
        };
        try {
            workers_.push_back(starter ? starter(run) : std::jthread(run));
        } catch (const std::exception &) {
            break; // out of threads or processes: those running do the work
        }
    }
    // The calling thread sleeps until the workers run, rather than share its
    // core with one of them until the system's next tick.
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return running_ >= workers_.size(); });
    return workers_.size();
}

std::size_t OrderedWindow::nextRunSize() const
{
    // Runs shrink towards the end, so no thread is left with a long run of
    // large items while the others have nothing to do.
    const std::size_t left = count_ - claimed_;
    return std::clamp<std::size_t>(left / (2 * threads_), 1, std::min(run_, left));
}

bool OrderedWindow::roomForRun() const
{
    return claimed_ + nextRunSize() <= taken_ + size();
}

std::optional<WorkRun> OrderedWindow::claim()
{
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return stop_.requested() || claimed_ >= count_ || roomForRun(); });
    if (stop_.requested() || claimed_ >= count_) {
        lock.unlock();
        ready_.notify_one(); // the consumer may wait for an item nobody will take
        return std::nullopt;
    }
    return takeRun();
}

std::optional<WorkRun> OrderedWindow::tryClaim()
{
    const std::lock_guard lock(mutex_);
    if (stop_.requested() || claimed_ >= count_ || !roomForRun())
        return std::nullopt;
    return takeRun();
}

WorkRun OrderedWindow::takeRun()
{
    const WorkRun run{claimed_, claimed_ + nextRunSize()};
    claimed_ = run.last;
    return run;
}

void OrderedWindow::finished(std::size_t item)
{
    // Both sides store, then load, in one total order: either the consumer
    // sees the slot filled, or this thread sees it waiting for the item.
    filled_[item % size()].store(true, std::memory_order_seq_cst);
    if (awaited_.load(std::memory_order_seq_cst) == item) {
        std::unique_lock lock(mutex_); // the consumer is asleep once we hold it
        lock.unlock();
        ready_.notify_one();
    }
}

void OrderedWindow::ended(const WorkRun &)
{
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        wake = consumerWaits_;
    }
    if (wake)
        ready_.notify_one();
}

bool OrderedWindow::await(std::size_t item)
{
    std::atomic<bool> &filled = filled_[item % size()];
    if (filled.load(std::memory_order_acquire))
        return true;
    std::unique_lock lock(mutex_);
    consumerWaits_ = true;
    awaited_.store(item, std::memory_order_seq_cst);
    // The item's worker wakes us when it fills the slot, not only at its run's
    // end: the rest of the run may be long. A worker gives up the rest of its
    // run at a stop and takes the lock to say so, so no wake-up is lost.
    ready_.wait(lock, [&] { return filled.load(std::memory_order_seq_cst) || stop_.requested(); });
    awaited_.store(NoItem, std::memory_order_relaxed);
    consumerWaits_ = false;
    return filled.load(std::memory_order_acquire);
}

void OrderedWindow::taken(std::size_t item)
{
    filled_[item % size()].store(false, std::memory_order_relaxed); // published by the lock below
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        taken_ = item + 1;
        wake = claimed_ < count_ && roomForRun();
    }
    if (wake)
        room_.notify_one(); // a run's worth of slots is free: one worker may go on
}

void OrderedWindow::end()
{
    {
        const std::lock_guard lock(mutex_);
        stop_.request();
    }
    room_.notify_all();
    ready_.notify_all();
}

} // namespace runtime
