#include "ordered_work.h"

namespace runtime {

OrderedWindow::OrderedWindow(std::size_t count, std::size_t size, const std::atomic<bool> *cancel)
    : filled_(std::max<std::size_t>(size, 1)), count_(count), stop_(cancel)
{}

OrderedWindow::~OrderedWindow()
{
    end();
    workers_.clear(); // joins
}

std::size_t OrderedWindow::start(std::size_t threads, const ThreadStarter &starter, std::function<void()> body)
{
    body_ = std::move(body);
    workers_.reserve(threads);
    const auto run = [this] { body_(); };
    for (std::size_t t = 0; t < threads; ++t) {
        try {
            workers_.push_back(starter ? starter(run) : std::jthread(run));
        } catch (const std::exception &) {
            break; // out of threads or processes: those running do the work
        }
    }
    return workers_.size();
}

std::optional<std::size_t> OrderedWindow::claim()
{
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return stop_.requested() || claimed_ >= count_ || claimed_ < taken_ + size(); });
    if (stop_.requested() || claimed_ >= count_) {
        lock.unlock();
        ready_.notify_one(); // the consumer may wait for an item nobody will take
        return std::nullopt;
    }
    return claimed_++;
}

void OrderedWindow::finished(std::size_t item)
{
    {
        const std::lock_guard lock(mutex_);
        filled_[item % size()] = 1;
    }
    ready_.notify_one();
}

bool OrderedWindow::await(std::size_t item)
{
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return filled_[item % size()] != 0 || (claimed_ <= item && stop_.requested()); });
    return filled_[item % size()] != 0;
}

void OrderedWindow::taken(std::size_t item)
{
    {
        const std::lock_guard lock(mutex_);
        filled_[item % size()] = 0;
        taken_ = item + 1;
    }
    room_.notify_one(); // one slot came free: one item more may start
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
