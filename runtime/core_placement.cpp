#include "core_placement.h"

#include <sched.h>

#include <vector>

namespace runtime {

std::optional<int> CurrentCore()
{
    const int core = sched_getcpu();
    if (core < 0)
        return std::nullopt;
    return core;
}

void MoveToCoreAfter(int from, std::size_t nth)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return;
    std::vector<int> cores;
    for (int core = 0; core < CPU_SETSIZE; ++core)
        if (CPU_ISSET(core, &allowed))
            cores.push_back(core);
    if (cores.size() < 2)
        return;
    std::size_t first = 0; // the first allowed core at or after `from`
    while (first < cores.size() && cores[first] < from)
        ++first;
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(cores[(first + nth) % cores.size()], &only);
    // Narrowing the set moves the thread at once; widening it again moves
    // nothing, so the thread stays there until the system moves it.
    if (sched_setaffinity(0, sizeof only, &only) == 0)
        sched_setaffinity(0, sizeof allowed, &allowed);
}

} // namespace runtime
