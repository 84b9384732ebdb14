// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderEntries.h"
#include "SystemCalls_linux.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fileops {

namespace {

// What the entry NAME of the folder DIR is, as the listing gave its TYPE (a DT_ value).
EntryKind KindOf(int dir, const char* name, unsigned char type, std::error_code& why) {
    if (name[0] == '.') {
        return EntryKind::Hidden;
    }
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            why = LastError();
            return errno == ENOENT ? EntryKind::Other : EntryKind::Unknown; // gone meanwhile
        }
        type = static_cast<unsigned char>(IFTODT(info.st_mode));
    }
    switch (type) {
    case DT_REG:
        return EntryKind::File; // known from the listing itself, even where it cannot be searched
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        break;
    default:
        return EntryKind::Other;
    }
    if (::fstatat(dir, name, &info, 0) != 0) {
        return EntryKind::Unfollowable;
    }
    return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

} // namespace

std::error_code ListEntries(const Folder& folder, const EntryVisitor& each) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    // Read through the folder's own descriptor, from the start (it is read for nothing else):
    // no descriptor more, and a folder that may be read but not searched is listed too (its
    // entries then fail one by one, each with the reason).
    const int fd = Fd(folder);
    if (::lseek(fd, 0, SEEK_SET) < 0 && errno != EBADF) {
        return LastError();
    }
    alignas(dirent64) char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno != EBADF) {
                return LastError();
            }
            // Opened without reading rights (O_PATH): why it cannot be read.
            const int again = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (again < 0) {
                return LastError();
            }
            ::close(again);
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        if (got == 0) {
            return {};
        }
        for (ssize_t at = 0; at < got;) {
            const auto* const entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            std::error_code why;
            const EntryKind kind = KindOf(fd, entry->d_name, entry->d_type, why);
            each(name, kind, why);
        }
    }
}

bool SameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace rz408::fileops
