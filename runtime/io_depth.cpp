#include "io_depth.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <sys/resource.h>
#include <sys/vfs.h>

namespace runtime {
namespace {

// File system types (statfs f_type) whose requests cross a network or a
// process of their own.
constexpr std::uint32_t RemoteTypes[] = {
    0x6969,     // NFS
    0x517B,     // SMB
    0xFF534D42, // CIFS
    0xFE534D42, // SMB2
    0x65735546, // FUSE (also fuseblk: NTFS and exFAT drivers, sshfs, ...)
    0x01021997, // 9P
    0x00C36400, // Ceph
    0x6B414653, // AFS
    0x5346414F, // OpenAFS
    0x73757245, // Coda
    0x0000564C, // NCP
    0x7461636F, // OCFS2
    0x01161970, // GFS2
    0x0BD00BD0, // Lustre
    0x19830326, // OrangeFS
    0x013111A8, // IBM Spectrum Scale
};

std::atomic<unsigned> fixedDepth{0};

} // namespace

std::optional<unsigned> ParseIoDepth(std::string_view text)
{
    unsigned depth = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), depth);
    if (error != std::errc{} || end != text.data() + text.size() || depth == 0 || depth > MaxIoDepth)
        return std::nullopt;
    return depth;
}

bool StorageIsRemote(int dirFd)
{
    struct statfs info {};
    if (::fstatfs(dirFd, &info) != 0)
        return false;
    const auto type = static_cast<std::uint32_t>(info.f_type);
    return std::find(std::begin(RemoteTypes), std::end(RemoteTypes), type) != std::end(RemoteTypes);
}

unsigned StorageIoDepth(int dirFd)
{
    return StorageIsRemote(dirFd) ? WideIoDepth : 0;
}

unsigned FixedIoDepth()
{
    return fixedDepth.load(std::memory_order_relaxed);
}

void SetFixedIoDepth(unsigned depth)
{
    fixedDepth.store(depth, std::memory_order_relaxed);
}

unsigned ChosenIoDepth(int dirFd)
{
    const unsigned fixed = FixedIoDepth();
    return fixed != 0 ? fixed : StorageIoDepth(dirFd);
}

unsigned DescriptorShare()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return MaxIoDepth;
    return static_cast<unsigned>(std::min<rlim_t>(limit.rlim_cur / 8, MaxIoDepth));
}

bool FixIoDepthFromEnvironment()
{
    const char *text = std::getenv("MAP_UTILITY_IO_DEPTH");
    if (!text || *text == '\0')
        return true;
    const auto depth = ParseIoDepth(text);
    if (depth)
        SetFixedIoDepth(*depth);
    return depth.has_value();
}

} // namespace runtime
