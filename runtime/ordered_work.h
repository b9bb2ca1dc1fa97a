#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace runtime {

// Work on a list of items with several threads, handed back in list order.
//
// Workers take the items in order and work ahead of the consumer, which runs
// on the calling thread and receives each result strictly in list order. At
// most `window` items are ahead of the one being consumed, so memory stays
// flat however long the list. The consumer ends the work by returning false
// (at a first error, say) or by raising; the `cancel` flag ends it from any
// thread. Either way the WorkStop a worker is given turns true, so a long
// item can end at its next chunk, and every worker is joined before
// ForEachInOrder returns. What a worker raises is raised on the caller's
// thread, at its item's turn. A thread that cannot start (too many
// processes) only means fewer threads; with none, the caller's thread does
// the work itself.
//
// The calling thread is one of the `threads`: it works runs of its own and
// takes the results that are ready between its items, sleeping only when it
// has nothing to claim. So with as many threads as cores no thread waits to
// be woken for each run, and no core is shared by a worker and a consumer.
// An item the calling thread is working on when its own consumer returns
// false runs to its end; the cancel flag reaches it like any other.
//
// Workers claim short runs of consecutive items, shorter towards the end so
// no thread is left alone with a run of large items. On many small items a
// hand-over per item would cost more than the work.
//
// `work` is either a function of (item, stop) that every thread shares, or a
// function of no arguments that makes one such function per thread (for a
// buffer of each thread's own). Either may also take a third argument, the
// WorkRun the item belongs to, to prepare the run's later items (start their
// reads) while it works on the first. `consume` gets (item, result&) and
// returns false to stop, or nothing.
//
// Example: a search with a buffer per thread that stops at the first error.
//
//     runtime::OrderedWorkOptions options;
//     options.threads = std::clamp<unsigned>(jobs, 1, 1024);
//     options.cancel = cancel; // a std::atomic<bool> * the window sets on Esc
//     const runtime::WorkEnd end = runtime::ForEachInOrder(
//         entries.size(), options,
//         [&] {
//             return [searcher = MapSearcher(mapsDirFd, names, text), &entries](
//                        std::size_t i, const runtime::WorkStop &stop) mutable {
//                 return searcher.search(entries[i], stop); // polls stop.requested() per chunk
//             };
//         },
//         [&](std::size_t i, Outcome &outcome) { return takeOutcome(i, outcome, progress, result); });
//     result.cancelled = result.cancelled || end == runtime::WorkEnd::Cancelled;

// Whether the work should end early: the consumer is done, or the caller's
// cancel flag is set. Cheap enough to poll at every chunk.
class WorkStop final {
public:
    explicit WorkStop(const std::atomic<bool> *cancel = nullptr) noexcept : cancel_(cancel) {}
    WorkStop(const WorkStop &) = delete;
    WorkStop &operator=(const WorkStop &) = delete;
    ~WorkStop() = default;

    bool requested() const noexcept
    {
        return own_.load(std::memory_order_relaxed) || (cancel_ && cancel_->load(std::memory_order_relaxed));
    }
    void request() noexcept { own_.store(true, std::memory_order_relaxed); }

private:
    std::atomic<bool> own_{false};
    const std::atomic<bool> *cancel_;
};

// Consecutive items one worker takes together: [first, last).
struct WorkRun {
    std::size_t first = 0;
    std::size_t last = 0;
};

// Starts one thread running body, or raises; tests give one that fails.
using ThreadStarter = std::function<std::jthread(std::function<void()> body)>;

struct OrderedWorkOptions {
    unsigned threads = 1;                      // at most; below two, the caller's thread does it all
    std::size_t window = 0;                    // items ahead of the consumer at most; 0: eight per thread
    const std::atomic<bool> *cancel = nullptr; // set from any thread to end the work
    ThreadStarter startThread;                 // empty: a plain std::jthread
    std::size_t run = 0;                       // items a worker claims at once; 0: a quarter of its share
};

enum class WorkEnd {
    Finished,  // every item consumed
    Stopped,   // the consumer returned false
    Cancelled, // the cancel flag was set; the item at hand was not consumed
};

// The bookkeeping behind ForEachInOrder: which items are handed out, which
// slots are filled, and the threads. Item i lives in slot i % size().
// A slot's flag is set without the lock; the lock is taken once per run by
// a worker and once per item by the consumer, and a wake-up happens only
// where someone actually waits.
class OrderedWindow final {
public:
    OrderedWindow(std::size_t count, std::size_t size, std::size_t run, const std::atomic<bool> *cancel);
    ~OrderedWindow(); // ends the work and joins the workers
    OrderedWindow(const OrderedWindow &) = delete;
    OrderedWindow &operator=(const OrderedWindow &) = delete;

    // Starts up to threads workers that run body; returns how many started,
    // once each of them runs.
    std::size_t start(std::size_t threads, const ThreadStarter &starter, std::function<void()> body);

    std::size_t size() const noexcept { return filled_.size(); }
    const WorkStop &stop() const noexcept { return stop_; }

    std::optional<WorkRun> claim();    // worker: the next run once there is room; nothing at the end
    std::optional<WorkRun> tryClaim(); // the same without waiting: nothing when there is no room yet
    bool isFilled(std::size_t item) const noexcept { return filled_[item % size()].load(std::memory_order_acquire); }
    void finished(std::size_t item); // worker: the item's slot is filled
    void ended(const WorkRun &run);  // worker: done with the run, or gave up on its rest at a stop
    bool await(std::size_t item);    // consumer: true once filled, false at a stop
    void taken(std::size_t item);    // consumer: the item's slot is free again
    void end();                      // hands out no more items and wakes everyone

private:
    std::size_t nextRunSize() const; // with the lock held, as are these
    bool roomForRun() const;
    WorkRun takeRun();

    std::mutex mutex_;
    std::condition_variable room_;  // a run's worth of slots came free, or the work ends
    std::condition_variable ready_; // a run was finished, or a worker saw the end
    std::vector<std::atomic<bool>> filled_;
    std::size_t count_;
    std::size_t run_;
    std::size_t threads_ = 1;    // working the items, the calling thread included
    std::size_t claimed_ = 0;    // items handed out
    std::size_t taken_ = 0;      // items consumed
    std::size_t running_ = 0;    // workers whose thread has begun
    bool consumerWaits_ = false; // the consumer sleeps on ready_
    static constexpr std::size_t NoItem = SIZE_MAX;
    std::atomic<std::size_t> awaited_{NoItem}; // the item the consumer sleeps for
    WorkStop stop_;
    std::function<void()> body_;
    std::vector<std::jthread> workers_;
};

template <class Work, class Consume>
WorkEnd ForEachInOrder(std::size_t count, const OrderedWorkOptions &options, Work &&work, Consume &&consume)
{
    const auto makeWorker = [&work] {
        if constexpr (std::is_invocable_v<Work &, std::size_t, const WorkStop &>)
            return std::ref(work);
        else
            return work();
    };
    using Worker = decltype(makeWorker());
    constexpr bool takesRun = std::is_invocable_v<Worker &, std::size_t, const WorkStop &, const WorkRun &>;
    const auto call = [](Worker &worker, std::size_t item, const WorkStop &stop, const WorkRun &run) {
        if constexpr (takesRun)
            return worker(item, stop, run);
        else
            return worker(item, stop);
    };
    using Result = decltype(call(std::declval<Worker &>(), 0, std::declval<const WorkStop &>(), WorkRun{}));
    const auto take = [&consume](std::size_t item, Result &result) {
        if constexpr (std::is_void_v<std::invoke_result_t<Consume &, std::size_t, Result &>>) {
            consume(item, result);
            return true;
        } else {
            return static_cast<bool>(consume(item, result));
        }
    };

    if (const std::size_t threads = std::min<std::size_t>(options.threads, count); threads > 1) {
        struct Slot {
            std::optional<Result> result;
            std::exception_ptr error;
        };
        std::vector<Slot> slots(options.window > 0 ? options.window : 8 * threads);
        // Two runs per thread fit in the window, so one worker's slow run
        // leaves the others room.
        const std::size_t run = options.run > 0 ? options.run : std::max<std::size_t>(1, slots.size() / (2 * threads));
        OrderedWindow window(count, slots.size(), run, options.cancel); // after slots: its threads go first
        // Works one claimed run on the calling thread or a worker's.
        const auto workRun = [&](std::optional<Worker> &worker, const WorkRun &claimed, const auto &between) {
            for (std::size_t item = claimed.first; item < claimed.last && !window.stop().requested(); ++item) {
                Slot &slot = slots[item % slots.size()];
                try {
                    if (!worker)
                        worker.emplace(makeWorker());
                    slot.result.emplace(call(*worker, item, window.stop(), claimed));
                } catch (...) {
                    slot.error = std::current_exception();
                }
                window.finished(item);
                if (!between())
                    return;
            }
            window.ended(claimed);
        };
        // A copy of workRun: the workers may still be in it when this frame
        // unwinds, until the window's destructor has joined them.
        const auto body = [&window, workRun] {
            std::optional<Worker> worker;
            while (const auto claimed = window.claim())
                workRun(worker, *claimed, [] { return true; });
        };
        if (window.start(threads - 1, options.startThread, body) > 0) {
            // The calling thread works too and takes the results between its
            // items, so on as many threads as cores nobody sleeps and wakes
            // for each run.
            std::size_t next = 0;
            std::optional<WorkEnd> end;
            const auto takeReady = [&](bool wait) {
                if (end)
                    return false;
                for (; next < count; ++next, wait = false) {
                    if (!window.isFilled(next) && (!wait || !window.await(next))) {
                        if (window.stop().requested())
                            end = WorkEnd::Cancelled;
                        return !end;
                    }
                    if (window.stop().requested()) {
                        end = WorkEnd::Cancelled;
                        return false;
                    }
                    Slot &slot = slots[next % slots.size()];
                    if (slot.error)
                        std::rethrow_exception(slot.error);
                    if (!take(next, *slot.result)) {
                        end = WorkEnd::Stopped;
                        return false;
                    }
                    slot.result.reset();
                    window.taken(next);
                }
                end = WorkEnd::Finished;
                return false;
            };
            const auto goOn = [&] { return takeReady(false) || end == WorkEnd::Finished; };
            std::optional<Worker> worker;
            while (!end && takeReady(false)) {
                if (const auto claimed = window.tryClaim())
                    workRun(worker, *claimed, goOn);
                else
                    takeReady(true);
            }
            return *end;
        }
    }

    const WorkStop stop(options.cancel);
    auto worker = makeWorker();
    const std::size_t run = options.run > 0 ? options.run : 8;
    for (std::size_t item = 0; item < count; ++item) {
        if (stop.requested())
            return WorkEnd::Cancelled;
        const std::size_t first = item - item % run;
        Result result = call(worker, item, stop, WorkRun{first, std::min(count, first + run)});
        if (stop.requested())
            return WorkEnd::Cancelled;
        if (!take(item, result))
            return WorkEnd::Stopped;
    }
    return WorkEnd::Finished;
}

} // namespace runtime
