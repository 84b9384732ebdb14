// SPDX-License-Identifier: GPL-3.0-or-later
#include "Leftovers_linux.h"
#include "Leftovers.h"
#include "SystemCalls_linux.h"

#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fileops {

bool SetAccessTime(int fd, std::int64_t seconds) {
    timespec times[2] = {{static_cast<time_t>(seconds), 0}, {0, UTIME_OMIT}};
    return ::futimens(fd, times) == 0;
}

bool Marked(const struct stat& info, std::string_view temporaryName) {
    return info.st_atim.tv_sec == TemporaryMark(temporaryName);
}

void TakeMarkOff(int fd) {
    timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
    ::futimens(fd, times);
}

std::size_t RemoveLeftovers(const Folder& folder) {
    if (!folder.IsOpen()) {
        return 0;
    }
    const int listing = ::openat(Fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        return 0;
    }
    DIR* const dir = ::fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return 0;
    }
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* const name = entry->d_name;
        // Only a regular file named and marked as a temporary file: never opened otherwise (a
        // FIFO or device could block or do something when opened).
        struct stat named {};
        if (!IsTemporaryName(name) ||
            ::fstatat(Fd(folder), name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(named.st_mode) || !Marked(named, name)) {
            continue;
        }
        const int fd =
            ::openat(Fd(folder), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // Nobody holds its lock and it is still marked: the run that wrote it is gone (a live
        // run takes the mark off before it lets the lock go). Removed only while it is still the
        // file at that name.
        struct stat opened {};
        struct stat again {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstat(fd, &opened) == 0 && Marked(opened, name) &&
            ::fstatat(Fd(folder), name, &again, AT_SYMLINK_NOFOLLOW) == 0 &&
            again.st_dev == opened.st_dev && again.st_ino == opened.st_ino &&
            ::unlinkat(Fd(folder), name, 0) == 0) {
            ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

} // namespace rz408::fileops
