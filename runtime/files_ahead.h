#pragma once

#include "io_checked_file.h"
#include "ordered_work.h"
#include "page_block.h"

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

// Opens the files of a list on readers of its own and brings their first
// bytes in, in list order, ahead of the threads that use them: on storage
// where every open and read waits a round trip, `depth` of them wait at once
// however few threads match. The users take each file at its own turn, with
// its open error, if any, raised then, so a reading keeps its order and its
// error rules. At most twice `depth` files wait open for their users.
//
// How the bytes come in: with keepAtMost 0 the system is asked to read them
// (a local disk, whose page cache the users' reads then find); otherwise the
// readers read them into the file (KeepStart), the waiting files holding at
// most keepAtMost bytes between them: a share that checks a file's attributes
// at every read makes each read of the users wait a round trip, while a
// reader may wait for it. Room goes in list order; a reader that finds none
// waits for the users to take files, except for the first file not yet
// taken, which always goes on.
//
// An item nobody has started on yet is opened by the thread that asks for
// it, so a user never waits for a reader to find room, and a list the
// readers could not start on is still read.
class FilesAhead final {
public:
    // Opens item into file, raising its error when it cannot. Called on any
    // thread, several at once.
    using Open = std::function<void(std::size_t item, IoCheckedFile &file)>;

    FilesAhead(std::size_t count, unsigned depth, std::uint64_t bytes, std::uint64_t keepAtMost, Open open,
               const ThreadStarter &startThread = {});
    ~FilesAhead(); // stops the readers once their requests at hand return
    FilesAhead(const FilesAhead &) = delete;
    FilesAhead &operator=(const FilesAhead &) = delete;

    // Item's file, open, its first bytes brought in; raises its open error.
    // Each item is taken once at most.
    std::unique_ptr<IoCheckedFile> take(std::size_t item);

    std::size_t readers() const { return readers_.size(); }

private:
    enum class State : std::uint8_t { Free, Opening, WaitingForRoom, Ready, Taken };
    struct Slot {
        std::unique_ptr<IoCheckedFile> file;
        std::exception_ptr error;
        std::uint64_t kept = 0; // bytes of room its start holds (KeepStart)
    };

    void read();                                   // a reader's life
    void bringStart(std::size_t item, Slot &slot); // the reads ahead of one file
    // With the lock held:
    void passTaken();    // next_ past what users took themselves
    void advanceFirst(); // first_ past the items taken
    void passKeepTurn(); // keepTurn_ past the items that need no room

    Open open_;
    std::uint64_t bytes_;
    std::uint64_t keepAtMost_;
    std::shared_ptr<PagePool> pages_; // the kept bytes' blocks, used again from file to file
    std::mutex mutex_;
    std::condition_variable room_; // a slot came free, or the readers stop
    std::vector<State> states_;
    std::vector<Slot> slots_; // item i waits in slot i % size
    // Item i's turn, in slot i % size: its user waits for it to be ready,
    // its reader for room to keep its bytes. One each: a file ready woke
    // every waiting thread.
    std::vector<std::condition_variable> turns_;
    std::size_t next_ = 0;      // the next item for a reader
    std::size_t first_ = 0;     // the first item not yet taken
    std::size_t keepTurn_ = 0;  // the next item to be given room, in list order
    std::uint64_t keptNow_ = 0; // bytes of room the waiting files hold
    bool stopping_ = false;
    std::vector<std::jthread> readers_;
};

} // namespace runtime
