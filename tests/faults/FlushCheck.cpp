// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the batch command by the fault tests (LD_PRELOAD, see CheckedFlushes in
// FolderFaultsTest.cpp): notes every regular file written (write, pwrite, ftruncate) and not
// flushed to the disk since (fsync, fdatasync, syncfs), and says so on standard error when
// renameat gives such a file a name ("flush check: NAME named before its data was on the disk"):
// after a power cut at that moment, the name could point at data that never arrived.

#include "ShimPaths.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace {

using Key = std::pair<dev_t, ino_t>;

// The files written and not flushed since.
std::mutex guard;
std::set<Key>& Unflushed() {
    static std::set<Key> files;
    return files;
}

template <typename Function>
Function System(const char* name) {
    return rz408::shim::SystemFunction<Function>(name);
}

// After a call on FD that succeeded: its file is unflushed (WRITTEN), or flushed.
void Note(int fd, bool written) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return;
    }
    const std::lock_guard<std::mutex> lock(guard);
    if (written) {
        Unflushed().insert({info.st_dev, info.st_ino});
    } else {
        Unflushed().erase({info.st_dev, info.st_ino});
    }
}

template <typename Result>
Result Noted(int fd, bool written, Result result) {
    if (result >= 0) {
        Note(fd, written);
    }
    return result;
}

} // namespace

extern "C" ssize_t write(int fd, const void* data, std::size_t size) {
    using Write = ssize_t (*)(int, const void*, std::size_t);
    static const Write kSystemWrite = System<Write>("write");
    return Noted(fd, true, kSystemWrite(fd, data, size));
}

extern "C" ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    using Pwrite = ssize_t (*)(int, const void*, std::size_t, off_t);
    static const Pwrite kSystemPwrite = System<Pwrite>("pwrite");
    return Noted(fd, true, kSystemPwrite(fd, data, size, offset));
}

extern "C" int ftruncate(int fd, off_t size) {
    using Truncate = int (*)(int, off_t);
    static const Truncate kSystemTruncate = System<Truncate>("ftruncate");
    return Noted(fd, true, kSystemTruncate(fd, size));
}

extern "C" int fsync(int fd) {
    static const auto kSystemSync = System<int (*)(int)>("fsync");
    return Noted(fd, false, kSystemSync(fd));
}

extern "C" int fdatasync(int fd) {
    static const auto kSystemSync = System<int (*)(int)>("fdatasync");
    return Noted(fd, false, kSystemSync(fd));
}

extern "C" int syncfs(int fd) {
    static const auto kSystemSync = System<int (*)(int)>("syncfs");
    const int result = kSystemSync(fd);
    if (result == 0) {
        const std::lock_guard<std::mutex> lock(guard);
        Unflushed().clear(); // the tests work on one file system
    }
    return result;
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    using Rename = int (*)(int, const char*, int, const char*);
    static const Rename kSystemRename = System<Rename>("renameat");
    struct stat info {};
    bool unflushed = false;
    if (::fstatat(fromFolder, from, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        const std::lock_guard<std::mutex> lock(guard);
        unflushed = Unflushed().count({info.st_dev, info.st_ino}) != 0;
    }
    if (unflushed) {
        const std::string line =
            std::string("flush check: ") + from + " named before its data was on the disk\n";
        [[maybe_unused]] const ssize_t written = System<ssize_t (*)(int, const void*, std::size_t)>(
            "write")(2, line.data(), line.size());
    }
    return kSystemRename(fromFolder, from, toFolder, to);
}
