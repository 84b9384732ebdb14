// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the batch command by the walk tests (LD_PRELOAD, see TreeSwapTest.cpp): the
// first time the command opens a file named RZ408_SWAP_WHEN (a name in a folder), the folder
// RZ408_SWAP_FOLDER is moved aside and a symbolic link to RZ408_SWAP_LINK takes its place, as
// someone who may write to the tree can do while a walk is under way. Every open is then the
// system's own.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using OpenAtFunction = int (*)(int, const char*, int, ...);

OpenAtFunction SystemOpenAt() {
    static const OpenAtFunction kSystem = [] {
        void* const symbol = ::dlsym(RTLD_NEXT, "openat");
        OpenAtFunction function = nullptr;
        std::memcpy(&function, &symbol, sizeof function);
        return function;
    }();
    return kSystem;
}

void SwapWhenOpening(const char* path) {
    static bool swapped = false;
    const char* const when = std::getenv("RZ408_SWAP_WHEN");
    const char* const folder = std::getenv("RZ408_SWAP_FOLDER");
    const char* const link = std::getenv("RZ408_SWAP_LINK");
    if (swapped || when == nullptr || folder == nullptr || link == nullptr ||
        std::strcmp(path, when) != 0) {
        return;
    }
    swapped = true;
    const std::string aside = std::string(folder) + ".moved";
    if (std::rename(folder, aside.c_str()) != 0 || ::symlink(link, folder) != 0) {
        std::perror("SwapFolder");
    }
}

int OpenAt(int dir, const char* path, int flags, va_list more) {
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        mode = static_cast<mode_t>(va_arg(more, int));
    }
    SwapWhenOpening(path);
    return SystemOpenAt()(dir, path, flags, mode);
}

} // namespace

extern "C" int openat(int dir, const char* path, int flags, ...) {
    va_list more;
    va_start(more, flags);
    const int fd = OpenAt(dir, path, flags, more);
    va_end(more);
    return fd;
}

extern "C" int openat64(int dir, const char* path, int flags, ...) {
    va_list more;
    va_start(more, flags);
    const int fd = OpenAt(dir, path, flags, more);
    va_end(more);
    return fd;
}

// What a program built with _FORTIFY_SOURCE calls where the flags are not known when it is
// compiled and no mode is given.
extern "C" int __openat_2(int dir, const char* path, int flags) {
    SwapWhenOpening(path);
    return SystemOpenAt()(dir, path, flags, 0);
}

extern "C" int __openat64_2(int dir, const char* path, int flags) {
    SwapWhenOpening(path);
    return SystemOpenAt()(dir, path, flags, 0);
}
