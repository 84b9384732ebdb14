// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the batch command by the fault tests (LD_PRELOAD, see ShortWrites in
// FolderFaultsTest.cpp): write() and pwrite() write at most 3 bytes at a time to every file whose
// path holds the text in RZ408_SHORT_WRITE, as a write interrupted by a signal, or one to a pipe
// or a network file system, may; the caller must go on behind what was written. And the first
// write() to a file whose path holds the text in RZ408_FAIL_WRITE fails with EIO, once, as a disk
// may fail one write and take the next: the file counts as failed all the same. Every other
// write is the system's own.

#include "ShimPaths.h"

#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace {

constexpr std::size_t kMost = 3;

std::atomic<bool> failedOnce{false};

std::size_t Allowed(int fd, std::size_t size) {
    return rz408::shim::PathHolds(fd, "RZ408_SHORT_WRITE") ? std::min(size, kMost) : size;
}

} // namespace

extern "C" ssize_t write(int fd, const void* data, std::size_t size) {
    using Write = ssize_t (*)(int, const void*, std::size_t);
    static const Write kSystemWrite = rz408::shim::SystemFunction<Write>("write");
    if (rz408::shim::PathHolds(fd, "RZ408_FAIL_WRITE") && !failedOnce.exchange(true)) {
        errno = EIO;
        return -1;
    }
    return kSystemWrite(fd, data, Allowed(fd, size));
}

extern "C" ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    using Pwrite = ssize_t (*)(int, const void*, std::size_t, off_t);
    static const Pwrite kSystemPwrite = rz408::shim::SystemFunction<Pwrite>("pwrite");
    return kSystemPwrite(fd, data, Allowed(fd, size), offset);
}
