#include "memory_return.h"

#include <malloc.h>
#include <mutex>

namespace runtime {

void ReturnLargeBlocksWhenFreed()
{
    static std::once_flag once;
    std::call_once(once, [] {
#ifdef M_MMAP_THRESHOLD
        ::mallopt(M_MMAP_THRESHOLD, 256 * 1024); // a fixed bound: the C library no longer raises it
#endif
    });
}

} // namespace runtime
