#pragma once

namespace runtime {

// Has every block of 256 KiB or more go back to the system when freed.
// By default the C library raises that bound to the largest block freed so
// far, so after one large file is read and let go, the next large lists stay
// in the process, unused, for its whole life. Once per process; later calls
// do nothing.
void ReturnLargeBlocksWhenFreed();

} // namespace runtime
