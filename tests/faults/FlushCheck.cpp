// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the batch command by the fault tests (LD_PRELOAD, see CheckedFlushes in
// FolderFaultsTest.cpp): notes every regular file written (write, pwrite, ftruncate) and not
// flushed to the disk since (fsync, fdatasync, syncfs, sync), and says so on standard error when
// a rename gives such a file a name ("flush check: NAME named before its data was on the
// disk"): after a power cut at that moment, the name could point at data that never arrived.

#include "ShimPaths.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <mutex>
#include <string>

namespace {

// The files written and not flushed since, by device and inode.
class Unflushed {
public:
    void Written(int fd) {
        const std::lock_guard<std::mutex> lock(guard_);
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && Find(info) == count_ &&
            count_ < kMost) {
            files_[count_++] = {info.st_dev, info.st_ino};
        }
    }
    void Flushed(int fd) {
        const std::lock_guard<std::mutex> lock(guard_);
        struct stat info {};
        if (::fstat(fd, &info) == 0) {
            const std::size_t at = Find(info);
            if (at < count_) {
                files_[at] = files_[--count_];
            }
        }
    }
    void AllFlushed() {
        const std::lock_guard<std::mutex> lock(guard_);
        count_ = 0;
    }
    bool Holds(int folder, const char* name) {
        const std::lock_guard<std::mutex> lock(guard_);
        struct stat info {};
        return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && Find(info) < count_;
    }

private:
    static constexpr std::size_t kMost = 65536;
    struct File {
        dev_t dev;
        ino_t ino;
    };
    std::size_t Find(const struct stat& info) const {
        std::size_t at = 0;
        while (at < count_ && (files_[at].dev != info.st_dev || files_[at].ino != info.st_ino)) {
            ++at;
        }
        return at;
    }
    std::mutex guard_;
    File files_[kMost] = {};
    std::size_t count_ = 0;
};

Unflushed& Files() {
    static Unflushed files;
    return files;
}

template <typename Function>
Function System(const char* name) {
    return rz408::shim::SystemFunction<Function>(name);
}

void Complain(const char* name) {
    using Write = ssize_t (*)(int, const void*, std::size_t);
    static const Write systemWrite = System<Write>("write");
    const std::string line =
        std::string("flush check: ") + name + " named before its data was on the disk\n";
    systemWrite(2, line.data(), line.size());
}

// Calls WRITE; a regular file it wrote to is unflushed from then on.
template <typename Call>
auto Writing(int fd, Call call) {
    const auto result = call();
    if (result >= 0) {
        Files().Written(fd);
    }
    return result;
}

} // namespace

extern "C" ssize_t write(int fd, const void* data, std::size_t size) {
    using Write = ssize_t (*)(int, const void*, std::size_t);
    static const Write systemWrite = System<Write>("write");
    return Writing(fd, [&] { return systemWrite(fd, data, size); });
}

extern "C" ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    using Pwrite = ssize_t (*)(int, const void*, std::size_t, off_t);
    static const Pwrite systemPwrite = System<Pwrite>("pwrite");
    return Writing(fd, [&] { return systemPwrite(fd, data, size, offset); });
}

extern "C" ssize_t pwrite64(int fd, const void* data, std::size_t size, off_t offset) {
    return pwrite(fd, data, size, offset);
}

extern "C" int ftruncate(int fd, off_t size) {
    using Truncate = int (*)(int, off_t);
    static const Truncate systemTruncate = System<Truncate>("ftruncate");
    return Writing(fd, [&] { return systemTruncate(fd, size); });
}

extern "C" int ftruncate64(int fd, off_t size) {
    return ftruncate(fd, size);
}

extern "C" int fsync(int fd) {
    using Sync = int (*)(int);
    static const Sync systemSync = System<Sync>("fsync");
    const int result = systemSync(fd);
    if (result == 0) {
        Files().Flushed(fd);
    }
    return result;
}

extern "C" int fdatasync(int fd) {
    using Sync = int (*)(int);
    static const Sync systemSync = System<Sync>("fdatasync");
    const int result = systemSync(fd);
    if (result == 0) {
        Files().Flushed(fd);
    }
    return result;
}

extern "C" int syncfs(int fd) {
    using Sync = int (*)(int);
    static const Sync systemSync = System<Sync>("syncfs");
    const int result = systemSync(fd);
    if (result == 0) {
        Files().AllFlushed(); // the tests work on one file system
    }
    return result;
}

extern "C" void sync() {
    using Sync = void (*)();
    static const Sync systemSync = System<Sync>("sync");
    systemSync();
    Files().AllFlushed();
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    using Rename = int (*)(int, const char*, int, const char*);
    static const Rename systemRename = System<Rename>("renameat");
    if (Files().Holds(fromFolder, from)) {
        Complain(from);
    }
    return systemRename(fromFolder, from, toFolder, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) {
    using Rename = int (*)(int, const char*, int, const char*, unsigned);
    static const Rename systemRename = System<Rename>("renameat2");
    if (Files().Holds(fromFolder, from)) {
        Complain(from);
    }
    return systemRename(fromFolder, from, toFolder, to, flags);
}

extern "C" int rename(const char* from, const char* to) {
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}
