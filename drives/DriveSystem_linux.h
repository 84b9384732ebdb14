// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drives of a Linux machine: its mounted volumes that hold user files, given letters so
// that the drive list and "C:" work. The mount table is parsed as text, whichever table it
// comes from; what the table does not tell (labels, removable media) is asked of the
// VolumeFacts.

#include "DriveSystem.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// One line of /proc/self/mountinfo.
struct MountEntry {
    unsigned Major = 0; // the device numbers of the mounted file system
    unsigned Minor = 0;
    std::string Root;       // the folder of the file system mounted there
    std::string MountPoint; // escapes (\040 for a blank ...) undone
    std::string FsType;     // "ext4", "nfs4", "fuse.sshfs" ...
    std::string Source;     // "/dev/sda1", "server:/export" ...
};

// The entries of a mountinfo text, in its order; lines that do not parse are left out.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// What the mount table does not tell about a mounted volume.
struct VolumeFacts {
    // The volume label, empty where the volume has none.
    std::function<std::string(const MountEntry&)> Label;
    // True for removable media: USB sticks, memory cards, floppy disks.
    std::function<bool(const MountEntry&)> Removable;
    // True where the mount point is a folder (a single bind-mounted file is no drive).
    std::function<bool(const std::string& mountPoint)> IsFolder;
};

// One drive of the list.
struct Volume {
    char Letter = 'c';
    std::string MountPoint;
    DriveType Type = DriveType::Fixed;
    std::string Name; // the text in brackets; empty for removable and optical drives

    // The drive list's entry: "c: [System]", "e:".
    std::string Entry() const;
};

// The drives of a mount table: the system volume (the one mounted on /) is always c:, the
// other volumes that hold user files follow as d:, e:, ... in the table's order. Pseudo and
// system file systems and mounts below /boot, /proc, /sys, /dev and /run (but for
// /run/media) are left out, and so are RAM disks outside /mnt, /media and /run/media.
std::vector<Volume> VolumesFromMountInfo(std::string_view mountinfo, const VolumeFacts& facts);

// The drive system over a fixed set of volumes; the real one reads /proc/self/mountinfo.
class LinuxDriveSystem : public DriveSystem {
public:
    LinuxDriveSystem(std::vector<Volume> volumes,
                     std::function<std::filesystem::path()> currentFolder);

    std::vector<std::string> DriveEntries() override;
    DriveType GetDriveTypeA(std::string_view rootText) override;
    std::string CurrentDrive() override;
    std::filesystem::path CurrentFolderOf(std::string_view driveText) override;

private:
    const Volume* VolumeOfLetter(char letter) const;
    const Volume* VolumeHolding(const std::filesystem::path& folder) const;

    std::vector<Volume> m_volumes;
    std::function<std::filesystem::path()> m_currentFolder;
};

// The facts as /dev/disk/by-label and /sys tell them.
VolumeFacts SystemVolumeFacts();

} // namespace rz408
