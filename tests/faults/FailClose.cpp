// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the batch command by the fault tests (LD_PRELOAD, see FailingClose in
// FolderFaultsTest.cpp): close() closes the file and then fails with EIO for every file whose
// path holds the text in RZ408_FAIL_CLOSE, as a network or quota-limited file system reports a
// write that did not arrive. Every other close() is the system's own.

#include "ShimPaths.h"

#include <cerrno>

extern "C" int close(int fd) {
    using Close = int (*)(int);
    static const Close kSystemClose = rz408::shim::SystemFunction<Close>("close");
    const bool fail = rz408::shim::PathHolds(fd, "RZ408_FAIL_CLOSE");
    const int closed = kSystemClose(fd);
    if (fail) {
        errno = EIO;
        return -1;
    }
    return closed;
}
