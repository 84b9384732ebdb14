// SPDX-License-Identifier: GPL-3.0-or-later
#include "Leftovers.h"
#include "Leftovers_linux.h"
#include "OwnerRights_linux.h"
#include "Replace.h"
#include "Signals_linux.h"
#include "SystemCalls_linux.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace rz408::fileops {

std::error_code CreateTemporary(const Folder& folder, std::string_view targetName, File& file,
                                std::string& temporaryName) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::string target;
    if (auto error = NameInFolder(targetName, target)) {
        return error;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = TemporaryName(target, RandomSuffix());
        const StopSignalsHeld held;
        // For its owner alone until it is written (Replace gives it its final rights): nobody
        // else can open it, read it half-written or keep it open to write into the copy later.
        const int fd = ::openat(Fd(folder), temporaryName.c_str(),
                                O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) { // in use: RemoveLeftovers leaves it alone
                SetAccessTime(fd, TemporaryMark(temporaryName));
            }
            RememberTemporary(Fd(folder), temporaryName.c_str());
            Handles::Of(file) = fd;
            return {};
        }
        if (errno != EEXIST) {
            return LastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code Replace(const Folder& folder, File& temporary, std::string_view temporaryName,
                        std::string_view targetName, std::uint32_t newRights) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::string from;
    std::string to;
    if (auto error = NameInFolder(temporaryName, from)) {
        return error;
    }
    if (auto error = NameInFolder(targetName, to)) {
        return error;
    }
    const int fd = Fd(temporary);
    // The mark comes off while the file is still locked: from now on no run takes it for a
    // leftover, also once it is closed.
    TakeMarkOff(fd);
    GiveFinalRights(folder, to, fd, newRights);
    Handles::Of(temporary) = File::kNoHandle;
    if (auto error = CloseFd(fd)) {
        return error;
    }
    // A plain rename over the old file, never an exchange of the two names. A folder in the
    // target's place stays ("Is a directory").
    if (::renameat(Fd(folder), from.c_str(), Fd(folder), to.c_str()) != 0) {
        return LastError();
    }
    ForgetTemporary(Fd(folder), from.c_str());
    return {};
}

void RemoveQuietly(const Folder& folder, File& file, std::string_view name) {
    if (file.IsOpen()) {
        const int fd = Fd(file);
        Handles::Of(file) = File::kNoHandle;
        ::close(fd);
    }
    std::string cName;
    if (!folder.IsOpen() || NameInFolder(name, cName)) {
        return;
    }
    ::unlinkat(Fd(folder), cName.c_str(), 0);
    ForgetTemporary(Fd(folder), cName.c_str());
}

} // namespace rz408::fileops
