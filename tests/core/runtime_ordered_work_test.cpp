#include "runtime/ordered_work.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <stdexcept>
#include <system_error>

using namespace runtime;

namespace {

constexpr std::size_t Never = 1'000'000; // beyond every item

struct Case {
    const char *name;
    unsigned threads;
    std::size_t startable;                 // threads that can start before starting fails
    std::size_t stopAt, cancelAt, raiseAt; // the consumer's first error; cancelled from outside; a worker raises
    std::optional<WorkEnd> end;            // nothing: raises
    std::size_t consumed;
};

} // namespace

TEST(OrderedWork, ResultsInOrderWithinTheWindowUntilAStopACancelOrARaise)
{
    constexpr std::size_t Count = 400;
    const Case cases[] = {
        {"on the caller's thread", 1, 64, Never, Never, Never, WorkEnd::Finished, Count},
        {"eight threads", 8, 64, Never, Never, Never, WorkEnd::Finished, Count},
        {"first error", 4, 64, 5, Never, Never, WorkEnd::Stopped, 6},
        {"cancel, on the caller's thread", 1, 64, Never, 3, Never, WorkEnd::Cancelled, 3},
        {"cancel", 4, 64, Never, 3, Never, WorkEnd::Cancelled, 3},
        {"a worker raises", 4, 64, Never, Never, 4, std::nullopt, 4},
        {"no thread starts", 64, 0, Never, Never, Never, WorkEnd::Finished, Count},
        {"three threads start", 64, 3, Never, Never, Never, WorkEnd::Finished, Count},
    };
    // One item per claim, and runs of four items per claim.
    for (const std::size_t Window : {std::size_t(3), std::size_t(32)})
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", window " + std::to_string(Window));
            std::atomic<bool> cancel{false};
            std::atomic<std::size_t> consumed{0}, worked{0};
            std::atomic<bool> cancelItemStarted{false};
            std::size_t started = 0;
            const auto startThread = [&](std::function<void()> body) {
                if (started == c.startable)
                    throw std::system_error(EAGAIN, std::generic_category(), "thread");
                ++started;
                return std::jthread(std::move(body));
            };
            const OrderedWorkOptions options{
                .threads = c.threads, .window = Window, .cancel = &cancel, .startThread = startThread};
            auto run = std::async(std::launch::async, [&] {
                const std::thread::id caller = std::this_thread::get_id();
                return ForEachInOrder(
                    Count, options,
                    [&](std::size_t i, const WorkStop &stop) {
                        ++worked;
                        EXPECT_LT(i, consumed + Window);
                        if (i == c.raiseAt)
                            throw std::runtime_error("out of memory");
                        // A long map, read until told to stop. The caller's thread
                        // learns of its own consumer's stop only between items.
                        if (i == c.cancelAt)
                            cancelItemStarted = true;
                        const bool stopReachesIt = i == c.cancelAt || std::this_thread::get_id() != caller;
                        while (((i == c.stopAt + 1 && stopReachesIt) || i == c.cancelAt) && !stop.requested())
                            std::this_thread::yield();
                        return i * 3;
                    },
                    [&](std::size_t i, std::size_t &value) {
                        EXPECT_EQ(i, consumed.load());
                        EXPECT_EQ(value, i * 3);
                        ++consumed;
                        return i != c.stopAt;
                    });
            });
            if (c.cancelAt != Never) { // from a thread of its own
                while (!cancelItemStarted && run.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                    std::this_thread::yield();
                cancel = true;
            }
            if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
                ADD_FAILURE() << "never ended";
                std::_Exit(1);
            }
            if (c.end)
                EXPECT_EQ(run.get(), *c.end);
            else
                EXPECT_THROW(run.get(), std::runtime_error);
            if (c.cancelAt == Never)
                EXPECT_EQ(consumed.load(), c.consumed);
            else // the items before may be unconsumed yet, and stay so
                EXPECT_LE(consumed.load(), c.consumed);
            EXPECT_LE(worked.load(), consumed + Window); // nothing started after the end
        }
}
