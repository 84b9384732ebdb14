// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scratch_linux.h"

#include "Processes_linux.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>

namespace rz408::test {

namespace fs = std::filesystem;

namespace {

// Changes the immutable flag of FILE; returns errno, 0 on success.
int ChangeImmutable(const fs::path& file, bool on) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return errno;
    }
    int flags = 0;
    int error = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        error = errno;
    } else {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
            error = errno;
        }
    }
    ::close(fd);
    return error;
}

} // namespace

std::uint64_t FreeBytes(const fs::path& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::uint64_t FreeInodes(const fs::path& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) {
        return 0;
    }
    return info.f_favail;
}

Scratch::~Scratch() {
    for (const fs::path& file : m_immutable) {
        ChangeImmutable(file, false);
    }
    for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it) {
        if (::umount2(it->c_str(), 0) != 0) {
            ::umount2(it->c_str(), MNT_DETACH);
        }
    }
    // TempFolder then opens unreadable folders again and removes everything.
}

std::string Scratch::MountTmpfs(const std::string& name, const std::string& options) {
    const fs::path target = Path() / name;
    std::error_code error;
    fs::create_directory(target, error);
    if (error) {
        return "cannot create the mount point: " + error.message();
    }
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        return "cannot mount a tmpfs (" + options + ") here: " + SystemReason(errno);
    }
    m_mounts.push_back(target);
    return {};
}

std::string Scratch::RemountReadOnly(const std::string& name) {
    const fs::path target = Path() / name;
    if (::mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return "cannot remount the tmpfs read-only here: " + SystemReason(errno);
    }
    return {};
}

std::string Scratch::MountImage(const fs::path& image, std::uint64_t size, const std::string& name,
                                const std::string& type, const std::string& options) {
    const std::string mkfs = FindTool("mkfs." + type);
    const std::string mount = FindTool("mount");
    if (mkfs.empty() || mount.empty()) {
        return "mkfs." + type + " (e2fsprogs) or mount (util-linux) is not installed";
    }
    std::error_code error;
    WriteFile(image, "");
    fs::resize_file(image, size, error);
    if (error) {
        return "cannot size the image: " + error.message();
    }
    // Inode tables (and a journal) written in full: only file contents can then find the thin
    // disk full. XFS clones files (reflink), which its mkfs does by default.
    const std::vector<std::string> mkfsArgs =
        type == "xfs"
            ? std::vector<std::string>{mkfs, "-q", "-f", "-m", "reflink=1", image.string()}
            : std::vector<std::string>{mkfs,
                                       "-q",
                                       "-F",
                                       "-b",
                                       "4096",
                                       "-E",
                                       "lazy_itable_init=0,lazy_journal_init=0",
                                       image.string()};
    const ChildResult made = RunProgram(mkfsArgs, std::chrono::seconds(30));
    if (made.ExitCode != 0) {
        return "mkfs." + type + " failed: " + Describe(made);
    }
    const fs::path target = Path() / name;
    fs::create_directory(target, error);
    const std::string mounted = MountLoop(image, target, options);
    return mounted.empty() ? "" : "cannot mount an image through a loop device here: " + mounted;
}

std::string Scratch::MountThinDisk(const std::string& name) {
    if (auto why = MountTmpfs(name + "-under", "size=8m"); !why.empty()) {
        return why;
    }
    return MountImage(Path() / (name + "-under") / "image", 16 << 20, name);
}

std::string Scratch::RunOutOfRoom(const std::string& name, const fs::path& folder) {
    // Inodes and folder entries written once have room on the disk that later files use again;
    // new file contents find none.
    for (int k = 0; k < 64; ++k) {
        WriteFile(folder / (".warm" + std::to_string(k)), "");
    }
    ::sync();
    for (int k = 0; k < 64; ++k) {
        fs::remove(folder / (".warm" + std::to_string(k)));
    }
    ::sync();

    const fs::path under = Path() / (name + "-under");
    const int fd = ::open((under / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot fill the room under the thin disk: " +
                                 SystemReason(errno));
    }
    const std::string block(65536, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
    if (FreeBytes(under) != 0) {
        throw std::runtime_error("room is left under the thin disk");
    }

    // The disk takes a write and misses the room at the flush.
    const fs::path probe = folder / ".probe";
    const int file = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const std::string bytes(4096, 'p');
    const bool written = file >= 0 && ::write(file, bytes.data(), bytes.size()) == 4096;
    const bool flushed = file >= 0 && ::fsync(file) == 0;
    if (file >= 0) {
        ::close(file);
    }
    fs::remove(probe);
    if (!written) {
        throw std::runtime_error("the thin disk took no write");
    }
    return flushed ? "the thin disk did not run out of room at the flush" : "";
}

std::string Scratch::MountPowerCutCopy(const std::string& name, const fs::path& copy,
                                       const std::string& snapshot) {
    const fs::path image = ImageMountedOn(name);
    if (image.empty()) {
        return "no image is mounted on " + name;
    }
    std::error_code error;
    fs::copy_file(image, copy, error);
    if (error) {
        return "cannot copy the image: " + error.message();
    }
    return MountRepaired(copy, snapshot);
}

std::string Scratch::CloneImage(const std::string& name, const fs::path& copy) {
    const fs::path image = ImageMountedOn(name);
    if (image.empty()) {
        return "no image is mounted on " + name;
    }
    const int from = ::open(image.c_str(), O_RDONLY | O_CLOEXEC);
    const int to = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::string why;
    if (from < 0 || to < 0 || ::ioctl(to, FICLONE, from) != 0) {
        why = "cannot clone the image in one step here: " + SystemReason(errno);
    }
    ::close(from);
    ::close(to);
    return why;
}

std::string Scratch::MountRepaired(const fs::path& copy, const std::string& snapshot) {
    const std::string fsck = FindTool("e2fsck");
    if (fsck.empty()) {
        return "e2fsck (e2fsprogs) is not installed";
    }
    // 0: nothing to repair, 1 and 2: repaired (the journal replayed); more: not repaired.
    const ChildResult repaired =
        RunProgram({fsck, "-f", "-y", copy.string()}, std::chrono::seconds(60));
    if (repaired.ExitCode < 0 || repaired.ExitCode > 2) {
        return "e2fsck could not repair the copy: " + Describe(repaired) + repaired.Out;
    }
    const fs::path target = Path() / snapshot;
    std::error_code error;
    fs::create_directory(target, error);
    const std::string mounted = MountLoop(copy, target, "ro");
    return mounted.empty() ? "" : "cannot mount the copy: " + mounted;
}

std::string Scratch::Unmount(const std::string& name) {
    const fs::path target = Path() / name;
    if (::umount2(target.c_str(), 0) != 0) {
        return "cannot unmount " + name + ": " + SystemReason(errno);
    }
    std::erase(m_mounts, target);
    std::erase_if(m_images, [&](const auto& image) { return image.second == target; });
    return {};
}

std::string Scratch::RemountImage(const std::string& name) {
    const fs::path target = Path() / name;
    for (const auto& [image, mountPoint] : m_images) {
        if (mountPoint != target) {
            continue;
        }
        if (::umount2(target.c_str(), 0) != 0) {
            return "cannot unmount the image: " + SystemReason(errno);
        }
        const ChildResult mounted =
            RunProgram({FindTool("mount"), "-o", "loop", image.string(), target.string()},
                       std::chrono::seconds(30));
        return mounted.ExitCode == 0 ? "" : "cannot mount the image again: " + mounted.Err;
    }
    return "no image is mounted on " + name;
}

fs::path Scratch::ImageMountedOn(const std::string& name) const {
    const fs::path mountPoint = Path() / name;
    const auto it = std::find_if(m_images.begin(), m_images.end(),
                                 [&](const auto& image) { return image.second == mountPoint; });
    return it == m_images.end() ? fs::path() : it->first;
}

std::string Scratch::MountLoop(const fs::path& image, const fs::path& target,
                               const std::string& options) {
    const ChildResult mounted =
        RunProgram({FindTool("mount"), "-o", options.empty() ? "loop" : "loop," + options,
                    image.string(), target.string()},
                   std::chrono::seconds(30));
    if (mounted.ExitCode != 0) {
        return mounted.Err;
    }
    m_mounts.push_back(target);
    m_images.emplace_back(image, target);
    return {};
}

std::string Scratch::SetImmutable(const fs::path& file) {
    if (const int error = ChangeImmutable(file, true)) {
        return "cannot set the immutable flag on this file system: " + SystemReason(error);
    }
    m_immutable.push_back(file);
    return {};
}

} // namespace rz408::test
