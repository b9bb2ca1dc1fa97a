#pragma once

namespace runtime {

// A write past the file size limit (ulimit -f) then fails with EFBIG and is
// reported like any other failed write, instead of SIGXFSZ ending the
// program. Called once at start; programs we launch get the default back.
void IgnoreFileSizeSignal();

} // namespace runtime
