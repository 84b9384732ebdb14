// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A temporary folder that can hold small disks: tmpfs mounts, file-system images on loop
// devices, immutable files (Linux; mounting needs root).

#include "TestFiles.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace rz408::test {

// Free bytes and free inodes of the file system that holds PATH.
std::uint64_t FreeBytes(const std::filesystem::path& path);
std::uint64_t FreeInodes(const std::filesystem::path& path);

// Whatever a test did in the scratch folder is undone when it goes: immutable flags cleared,
// mounts unmounted, everything removed.
class Scratch : public TempFolder {
public:
    Scratch() : TempFolder("rz408-faults") {}
    ~Scratch();

    // Mounts a new tmpfs with OPTIONS ("size=1m,nr_inodes=32") on the new folder NAME.
    // Returns why it could not ("" when mounted).
    std::string MountTmpfs(const std::string& name, const std::string& options);

    // Makes a mount made by MountTmpfs read-only. Returns why it could not.
    std::string RemountReadOnly(const std::string& name);

    // Makes a file system of TYPE ("ext2", "ext4", "xfs") in the new file IMAGE (of SIZE bytes,
    // sparse) and mounts it through a loop device on the new folder NAME, with the mount OPTIONS
    // given besides the file system's own defaults. Put on a small tmpfs, the image is a thin
    // disk: it offers more room than it has, and a write that finds no room fails only when it
    // reaches the disk (a flush), not when it is made. Returns why it could not.
    std::string MountImage(const std::filesystem::path& image, std::uint64_t size,
                           const std::string& name, const std::string& type = "ext2",
                           const std::string& options = "");

    // A disk that is full only when written data reaches it, as thin-provisioned volumes and
    // network shares are: an ext2 image of 16 MB on a tmpfs of 8 MB, mounted through a loop
    // device on the new folder NAME. Returns why it could not.
    std::string MountThinDisk(const std::string& name);

    // Uses up the room under the thin disk NAME: from then on it takes every write into the
    // cache at once and misses the room when the data is flushed. Folder entries and inodes
    // made in FOLDER (on that disk) beforehand find room again. Returns why the disk does not
    // behave so ("" when it does); throws when the room cannot be used up.
    std::string RunOutOfRoom(const std::string& name, const std::filesystem::path& folder);

    // The disk after a power cut: copies the image mounted on NAME to COPY as it stands now (what
    // the system has not written to it yet is lost), repairs the copy as the system does at the
    // next start (e2fsck -fy: the journal replayed), and mounts it on the new folder SNAPSHOT.
    // Returns why it could not.
    std::string MountPowerCutCopy(const std::string& name, const std::filesystem::path& copy,
                                  const std::string& snapshot);

    // The disk after a power cut at this very moment: a copy of the image mounted on NAME made in
    // one step (FICLONE), while it is being written to, as the disk stands between two of its
    // writes. COPY must lie on the file system that holds the image (one that clones files:
    // XFS, Btrfs). Returns why it could not.
    std::string CloneImage(const std::string& name, const std::filesystem::path& copy);

    // Repairs the image COPY as the system does at the next start (e2fsck -fy: the journal
    // replayed) and mounts it read-only on the new folder SNAPSHOT. Returns why it could not.
    std::string MountRepaired(const std::filesystem::path& copy, const std::string& snapshot);

    // Unmounts what is mounted on NAME (its loop device goes with it). Returns why it could not.
    std::string Unmount(const std::string& name);

    // Unmounts and mounts again the image mounted on NAME, so that what is read afterwards
    // comes from the disk, not from the cache. Returns why it could not.
    std::string RemountImage(const std::string& name);

    // Sets the immutable flag of FILE (cleared again when the scratch folder goes).
    // Returns why it could not.
    std::string SetImmutable(const std::filesystem::path& file);

private:
    // Mounts IMAGE through a loop device on the folder TARGET and notes both; returns mount's
    // error output when it could not.
    std::string MountLoop(const std::filesystem::path& image, const std::filesystem::path& target,
                          const std::string& options = "");

    // The image file mounted on NAME; empty when none is.
    std::filesystem::path ImageMountedOn(const std::string& name) const;

    std::vector<std::filesystem::path> m_mounts;
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>>
        m_images; // image, mount point
    std::vector<std::filesystem::path> m_immutable;
};

} // namespace rz408::test
