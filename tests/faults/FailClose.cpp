// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the batch command by the fault tests (LD_PRELOAD, see FailingClose in
// FolderFaultsTest.cpp): close() closes the file and then fails with EIO for every file whose
// path holds the text in RZ408_FAIL_CLOSE, as a network or quota-limited file system reports a
// write that did not arrive. Every other close() is the system's own.

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using CloseFunction = int (*)(int);

CloseFunction SystemClose() {
    static const CloseFunction system = [] {
        void* const symbol = ::dlsym(RTLD_NEXT, "close");
        CloseFunction function = nullptr;
        std::memcpy(&function, &symbol, sizeof function);
        return function;
    }();
    return system;
}

bool MustFail(int fd) {
    const char* const part = std::getenv("RZ408_FAIL_CLOSE");
    if (part == nullptr || *part == '\0') {
        return false;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[8192];
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return false;
    }
    path[length] = '\0';
    return std::strstr(path, part) != nullptr;
}

} // namespace

extern "C" int close(int fd) {
    const bool fail = MustFail(fd);
    const int closed = SystemClose()(fd);
    if (fail) {
        errno = EIO;
        return -1;
    }
    return closed;
}
