// SPDX-License-Identifier: GPL-3.0-or-later
#include "Folder.h"
#include "OwnerRights_linux.h"
#include "PathText.h"
#include "SystemCalls_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fileops {

File::~File() {
    if (IsOpen()) {
        ::close(Fd(*this));
    }
}

Folder::~Folder() {
    if (IsOpen()) {
        ::close(Fd(*this));
    }
}

std::error_code OpenFolder(const std::filesystem::path& path, Folder& folder) {
    Handles::PathOf(folder) = path;
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        // A folder that may be written but not read: a descriptor that names it is enough to
        // work in it (no listing, no lock, and each copy flushed by itself).
        fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        Handles::ErrorOf(folder) = LastError();
        return Handles::ErrorOf(folder);
    }
    Handles::Of(folder) = fd;
    Handles::ErrorOf(folder).clear();
    Handles::UmaskOf(folder) = Umask();
    return {};
}

std::error_code OpenSubfolder(const Folder& parent, std::string_view name, Folder& folder) {
    Handles::PathOf(folder) = Handles::PathOf(parent) / Utf8ToPath(name);
    std::error_code& error = Handles::ErrorOf(folder);
    std::string cName;
    if (!parent.IsOpen()) {
        error = Handles::ErrorOf(parent);
        return error;
    }
    if ((error = NameInFolder(name, cName))) {
        return error;
    }
    // Never through a link: O_NOFOLLOW fails on a link in the folder's place.
    const int fd =
        ::openat(Fd(parent), cName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = LastError();
        struct stat entry {};
        if ((errno == ENOTDIR || errno == ELOOP) &&
            ::fstatat(Fd(parent), cName.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(entry.st_mode)) {
            error = LinkNotFollowed();
        }
        return error;
    }
    Handles::Of(folder) = fd;
    error.clear();
    return {};
}

} // namespace rz408::fileops
