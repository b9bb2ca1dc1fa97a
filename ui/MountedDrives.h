#pragma once

#include "runtime/mount_table.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The drive list of the folder chooser: the host's mounted file systems that
// hold files, standing where drive letters stand elsewhere.

enum class DriveKind { Removable, Fixed, CdRom, Ram, Network };

using runtime::MountEntry;
using runtime::ParseMountInfo;

struct MountedDrive {
    std::string mountPath; // raw bytes, used for the directory change
    DriveKind kind = DriveKind::Fixed;
    std::string caption; // what the list shows
};

// The kind of a mount, or false when it is a pseudo file system or system
// internals that hold no files of the user's.
bool ClassifyMount(const MountEntry &mount, DriveKind &kind);

// "path: [label]" for fixed, CD and RAM drives, "path: remote" for network
// mounts, "path:" for removable media; label and remote name in lower case.
std::string DriveCaption(const MountEntry &mount, DriveKind kind, const std::string &label);

using VolumeLabelLookup = std::function<std::string(const MountEntry &)>;
using MountPathCheck = std::function<bool(const std::string &)>;

// The drives of a mount table, ordered by path; a path mounted over keeps
// only its topmost mount; mounts whose path is no folder are left out.
std::vector<MountedDrive> DrivesFromMounts(const std::vector<MountEntry> &mounts, const VolumeLabelLookup &label,
                                           const MountPathCheck &isFolder);

// The drives of this host now.
std::vector<MountedDrive> MountedDrives();

// Index of the drive with the longest mount path holding path; -1 for none.
int DriveHoldingPath(const std::vector<MountedDrive> &drives, const std::string &path);

} // namespace ui
