// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnerRights_linux.h"
#include "ReadWrite.h"
#include "SystemCalls_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fileops {

std::error_code OpenForReading(const Folder& folder, std::string_view name, File& file,
                               std::uint32_t* copyRights) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::string cName;
    if (auto error = NameInFolder(name, cName)) {
        return error;
    }
    struct stat entry {};
    if (::fstatat(Fd(folder), cName.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        return LastError();
    }
    const bool link = S_ISLNK(entry.st_mode);
    struct stat info = entry;
    if (link && ::fstatat(Fd(folder), cName.c_str(), &info, 0) != 0) {
        return LastError();
    }
    if (auto error = CheckRegular(info)) {
        return error;
    }
    // A name that was no link is opened as no link: a link put in its place meanwhile fails.
    const int fd = ::openat(Fd(folder), cName.c_str(),
                            O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (link ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        return LastError();
    }
    Handles::Of(file) = fd;
    if (::fstat(fd, &info) != 0) {
        return LastError();
    }
    if (auto error = CheckRegular(info)) {
        return error;
    }
    if (copyRights != nullptr) {
        *copyRights = info.st_mode & 0777;
    }
    // The owners of the file opened, not of what the link led to before: a link swapped for
    // another meanwhile is another user's link too.
    return CheckOwners(folder, link ? &entry : nullptr, info);
}

std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got) {
    return ReadRetrying(got, [&] { return ::read(Fd(file), data, size); });
}

namespace {

// Writes all SIZE bytes at the file position, or from *OFFSET when one is given.
std::error_code WriteFully(int fd, const char* data, std::size_t size,
                           const std::uint64_t* offset) {
    std::uint64_t at = offset != nullptr ? *offset : 0;
    while (size > 0) {
        const ssize_t n = offset != nullptr ? ::pwrite(fd, data, size, static_cast<off_t>(at))
                                            : ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            return std::make_error_code(std::errc::no_space_on_device);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        at += static_cast<std::uint64_t>(n);
    }
    return {};
}

} // namespace

std::error_code WriteAll(File& file, const char* data, std::size_t size) {
    return WriteFully(Fd(file), data, size, nullptr);
}

void StartWriteBack(File& file) {
    // Only starts: the pages not yet on their way are handed to the disk, nothing waits.
    ::sync_file_range(Fd(file), 0, 0, SYNC_FILE_RANGE_WRITE);
}

std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got) {
    return ReadRetrying(got,
                        [&] { return ::pread(Fd(file), data, size, static_cast<off_t>(offset)); });
}

std::error_code WriteAt(File& file, std::uint64_t offset, const char* data, std::size_t size) {
    return WriteFully(Fd(file), data, size, &offset);
}

std::error_code TruncateTo(File& file, std::uint64_t size) {
    if (::ftruncate(Fd(file), static_cast<off_t>(size)) != 0) {
        return LastError();
    }
    if (::lseek(Fd(file), static_cast<off_t>(size), SEEK_SET) < 0) {
        return LastError();
    }
    return {};
}

std::error_code FlushData(File& file) {
    if (::fdatasync(Fd(file)) != 0) {
        return LastError();
    }
    return {};
}

std::error_code FlushFileSystem(const Folder& folder) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    // syncfs reports the write-back errors of the whole file system since this descriptor was
    // opened or last flushed (Linux 5.8 and later; older ones report none). A folder opened
    // without reading rights cannot be flushed so (EBADF): each file is flushed by itself then.
    if (::syncfs(Fd(folder)) != 0) {
        return LastError();
    }
    return {};
}

bool OpenToForget(const Folder& folder, std::string_view name, File& file, std::uint64_t& size) {
    std::string cName;
    struct stat named {};
    if (!folder.IsOpen() || NameInFolder(name, cName) ||
        ::fstatat(Fd(folder), cName.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(named.st_mode) || named.st_size < (off_t{1} << 20)) {
        return false;
    }
    // Opened only while it is the file seen above: never a FIFO or device put in its place.
    const int fd = ::openat(Fd(folder), cName.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    file = File();
    Handles::Of(file) = fd;
    size = static_cast<std::uint64_t>(opened.st_size);
    return true;
}

void ForgetCached(File& file, std::uint64_t offset, std::uint64_t size) {
    ::posix_fadvise(Fd(file), static_cast<off_t>(offset), static_cast<off_t>(size),
                    POSIX_FADV_DONTNEED);
}

} // namespace rz408::fileops
