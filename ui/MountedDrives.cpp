#include "MountedDrives.h"

#include "runtime/byte_strings.h"
#include "runtime/directory_match.h"
#include "runtime/host_volumes.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace ui {

namespace {

// File systems that are views of the kernel or containers of other mounts,
// never a place for the user's files.
constexpr auto PseudoTypes = std::to_array<std::string_view>({
    "proc",        "sysfs",      "cgroup",   "cgroup2",    "devpts",    "devtmpfs",    "mqueue",          "debugfs",
    "tracefs",     "securityfs", "pstore",   "bpf",        "autofs",    "configfs",    "fusectl",         "hugetlbfs",
    "binfmt_misc", "nsfs",       "efivarfs", "rpc_pipefs", "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs",
});

constexpr auto NetworkTypes = std::to_array<std::string_view>({
    "nfs",
    "nfs4",
    "cifs",
    "smb3",
    "smbfs",
    "ncpfs",
    "9p",
    "afs",
    "ceph",
    "glusterfs",
    "fuse.sshfs",
    "fuse.glusterfs",
    "fuse.cephfs",
    "fuse.rclone",
    "fuse.s3fs",
    "davfs",
});

// Where the system keeps its own mounts; even a tmpfs there holds no files
// of the user's.
constexpr auto SystemRoots = std::to_array<std::string_view>({"/proc", "/sys", "/dev", "/snap"});

// Desktop automounters put removable media here.
constexpr auto RemovableRoots = std::to_array<std::string_view>({"/media", "/run/media"});

template <std::size_t N>
bool isOneOf(std::string_view value, const std::array<std::string_view, N> &set)
{
    return std::find(set.begin(), set.end(), value) != set.end();
}

bool isUnder(std::string_view path, std::string_view root)
{
    return path.substr(0, root.size()) == root && (path.size() == root.size() || path[root.size()] == '/');
}

template <std::size_t N>
bool isUnderAny(std::string_view path, const std::array<std::string_view, N> &roots)
{
    return std::any_of(roots.begin(), roots.end(), [path](std::string_view root) { return isUnder(path, root); });
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// udev writes unsafe bytes of a label as "\xNN".
std::string undoHexEscapes(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hexDigit(name[i + 2]) >= 0
            && hexDigit(name[i + 3]) >= 0) {
            out += static_cast<char>(hexDigit(name[i + 2]) * 16 + hexDigit(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

using DeviceNumbers = std::pair<unsigned, unsigned>;

// Volume labels by device number, from the links udev keeps per label.
std::map<DeviceNumbers, std::string> hostVolumeLabels()
{
    std::map<DeviceNumbers, std::string> labels;
    const std::string dir = "/dev/disk/by-label/";
    runtime::MatchRecord record;
    for (std::int32_t code = runtime::FindFirstMatch(dir + "*", runtime::FileAttribute::Any, record); code == 0;
         code = runtime::FindNextMatch(record)) {
        if (const auto device = runtime::BlockDeviceNumbers(dir + record.Name))
            labels[*device] = undoHexEscapes(record.Name);
    }
    runtime::EndMatchSearch(record);
    return labels;
}

} // namespace

bool ClassifyMount(const MountEntry &mount, DriveKind &kind)
{
    if (isOneOf(mount.fsType, PseudoTypes) || isUnderAny(mount.mountPath, SystemRoots))
        return false;
    if (isOneOf(mount.fsType, NetworkTypes) || mount.fsType.starts_with("nfs"))
        kind = DriveKind::Network;
    else if (mount.fsType == "iso9660" || mount.fsType == "udf")
        kind = DriveKind::CdRom;
    else if (mount.fsType == "tmpfs" || mount.fsType == "ramfs")
        kind = DriveKind::Ram;
    else if (isUnderAny(mount.mountPath, RemovableRoots))
        kind = DriveKind::Removable;
    else
        kind = DriveKind::Fixed;
    return true;
}

std::string DriveCaption(const MountEntry &mount, DriveKind kind, const std::string &label)
{
    const std::string bracketed = "[" + runtime::LowerAscii(label) + "]";
    switch (kind) {
    case DriveKind::Removable:
        return mount.mountPath + ":";
    case DriveKind::Network:
        return mount.mountPath + ": " + (mount.source.empty() ? bracketed : runtime::LowerAscii(mount.source));
    case DriveKind::Fixed:
    case DriveKind::CdRom:
    case DriveKind::Ram:
        break;
    }
    return mount.mountPath + ": " + bracketed;
}

std::vector<MountedDrive> DrivesFromMounts(const std::vector<MountEntry> &mounts, const VolumeLabelLookup &label,
                                           const MountPathCheck &isFolder)
{
    // Later lines of the table are mounted over earlier ones at the same path.
    std::map<std::string, const MountEntry *> topmost;
    for (const MountEntry &mount : mounts)
        topmost[mount.mountPath] = &mount;

    std::vector<MountedDrive> drives;
    for (const auto &[path, mount] : topmost) {
        DriveKind kind{};
        if (!ClassifyMount(*mount, kind) || !isFolder(path))
            continue;
        drives.push_back({path, kind, DriveCaption(*mount, kind, label(*mount))});
    }
    return drives;
}

std::vector<MountedDrive> MountedDrives()
{
    const std::map<DeviceNumbers, std::string> labels = hostVolumeLabels();
    const auto labelOf = [&labels](const MountEntry &mount) {
        const auto found = labels.find({mount.major, mount.minor});
        return found == labels.end() ? std::string() : found->second;
    };
    return DrivesFromMounts(ParseMountInfo(runtime::ReadMountTable()), labelOf, runtime::IsDirectory);
}

int DriveHoldingPath(const std::vector<MountedDrive> &drives, const std::string &path)
{
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string &root = drives[i].mountPath;
        const bool holds = root == "/" ? path.starts_with('/') : isUnder(path, root);
        if (holds && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

} // namespace ui
