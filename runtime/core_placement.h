#pragma once

#include <cstddef>
#include <optional>

namespace runtime {

// The core the calling thread runs on, if the system says.
std::optional<int> CurrentCore();

// Moves the calling thread to the nth of the cores it may run on, counted
// on from the core `from` and round to the first again (the 0th is `from`
// itself), and leaves it free to move as before. Does nothing where it may
// run on one core only, or where the system refuses.
void MoveToCoreAfter(int from, std::size_t nth);

} // namespace runtime
