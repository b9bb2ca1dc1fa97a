#pragma once

#include "io_checked_file.h"
#include "ordered_work.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace runtime {

// Opens the files of a list on readers of its own and has their first bytes
// read, in list order, ahead of the threads that use them: on storage where
// every open and read waits a round trip, `depth` of them wait at once
// however few threads match. The users take each file at its own turn, with
// its open error, if any, raised then, so a reading keeps its order and its
// error rules. At most twice `depth` files wait open for their users.
//
// An item nobody has started on yet is opened by the thread that asks for
// it, so a user never waits for a reader to find room, and a list the
// readers could not start on is still read.
class FilesAhead final {
public:
    // Opens item into file, raising its error when it cannot. Called on any
    // thread, several at once.
    using Open = std::function<void(std::size_t item, IoCheckedFile &file)>;

    FilesAhead(std::size_t count, unsigned depth, std::uint64_t bytes, Open open,
               const ThreadStarter &startThread = {});
    ~FilesAhead(); // stops the readers once their requests at hand return
    FilesAhead(const FilesAhead &) = delete;
    FilesAhead &operator=(const FilesAhead &) = delete;

    // Item's file, open, its first bytes read ahead; raises its open error.
    // Each item is taken once at most.
    std::unique_ptr<IoCheckedFile> take(std::size_t item);

    std::size_t readers() const { return readers_.size(); }

private:
    enum class State : std::uint8_t { Free, Opening, Ready, Taken };
    struct Slot {
        std::unique_ptr<IoCheckedFile> file;
        std::exception_ptr error;
        std::uint64_t kept = 0; // bytes of the file's start it holds (KeepStart)
    };

    void read();         // a reader's life
    void passTaken();    // with the lock held: past what users took themselves
    void advanceFirst(); // with the lock held: past the items taken

    Open open_;
    std::uint64_t bytes_;
    std::mutex mutex_;
    std::condition_variable room_;  // an item was taken, or the readers stop
    std::condition_variable ready_; // an item was opened
    std::vector<State> states_;
    std::vector<Slot> slots_; // item i waits in slot i % size
    std::size_t next_ = 0;    // the next item for a reader
    std::size_t first_ = 0;   // the first item not yet taken
    std::uint64_t kept_ = 0;  // bytes the waiting files hold, at most KeptBudget
    bool stopping_ = false;
    std::vector<std::jthread> readers_;
};

} // namespace runtime
