// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnerRights_linux.h"
#include "SystemCalls_linux.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fileops {

std::uint32_t Umask() {
    mode_t umask = 022;
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    char status[4096];
    ssize_t got = fd >= 0 ? ::read(fd, status, sizeof status - 1) : -1;
    if (fd >= 0) {
        ::close(fd);
    }
    const char* line = nullptr;
    if (got > 0) {
        status[got] = '\0';
        line = std::strstr(status, "\nUmask:");
    }
    if (line != nullptr) {
        umask = static_cast<mode_t>(std::strtoul(line + 7, nullptr, 8));
    } else {
        umask = ::umask(022);
        ::umask(umask);
    }
    return umask & 0777;
}

void GiveFinalRights(const Folder& folder, const std::string& targetName, int fd,
                     std::uint32_t newRights) {
    struct stat old {};
    if (::fstatat(Fd(folder), targetName.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(old.st_mode)) {
        ::fchmod(fd, static_cast<mode_t>(newRights & ~Handles::UmaskOf(folder) & 0777));
        return;
    }
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) {
        return;
    }
    if (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && mine.st_gid != old.st_gid) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
        if (::fstat(fd, &mine) != 0) {
            mine.st_uid = static_cast<uid_t>(-1); // unknown: no set-ID bit then
        }
    }
    mode_t mode = old.st_mode & 07777;
    if (mine.st_uid != old.st_uid) {
        mode &= ~static_cast<mode_t>(S_ISUID);
    }
    if (mine.st_gid != old.st_gid || mine.st_uid != old.st_uid) {
        mode &= ~static_cast<mode_t>(S_ISGID);
    }
    ::fchmod(fd, mode);
}

std::error_code CheckOwners(const Folder& folder, const struct stat* link,
                            const struct stat& source) {
    struct stat dir {};
    if (::fstat(Fd(folder), &dir) != 0) {
        return LastError();
    }
    const uid_t runner = ::geteuid();
    if (dir.st_uid == runner && (dir.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
        return {};
    }
    if (link != nullptr && link->st_uid != runner && link->st_uid != source.st_uid) {
        return LinkToAnotherOwner();
    }
    if (dir.st_uid != runner && source.st_uid != dir.st_uid && (source.st_mode & S_IROTH) == 0) {
        return NotTheFolderOwners();
    }
    return {};
}

} // namespace rz408::fileops
