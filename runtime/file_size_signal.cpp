#include "file_size_signal.h"

#include <csignal>

namespace runtime {

void IgnoreFileSizeSignal()
{
    ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace runtime
