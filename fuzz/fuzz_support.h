#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// A private folder for the files a target writes, removed with its contents
// when the fuzzer exits.
class ScratchFolder final {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return path_; }
    int fd() const { return fd_; }

    // Replaces the file name (relative to the folder) with bytes.
    void write(const std::string &name, std::string_view bytes) const;
    void remove(const std::string &name) const;

private:
    std::string path_;
    int fd_ = -1;
};

// Drops whatever I/O code an earlier run left pending on this thread.
void ClearPendingIo();

// A mismatch with the reference is a finding: say what differed and stop,
// so that libFuzzer keeps the input.
[[noreturn]] void Mismatch(const char *what, std::string_view expected, std::string_view actual);

inline void Expect(bool ok, const char *what)
{
    if (!ok)
        Mismatch(what, "true", "false");
}

// bytes behind a run of one fuzzer-chosen byte that ends up to maxLead bytes
// before one of the edges, so that they cross the edge a reader has there.
template <std::size_t Count>
std::string PlacedBefore(FuzzedDataProvider &input, const std::size_t (&edges)[Count], std::size_t maxLead,
                         const std::string &bytes)
{
    const std::size_t edge = input.PickValueInArray(edges);
    const std::size_t before = input.ConsumeIntegralInRange<std::size_t>(0, std::min(edge, maxLead));
    const char fill = input.ConsumeIntegral<char>();
    return std::string(edge - before, fill) + bytes;
}

} // namespace fuzz
