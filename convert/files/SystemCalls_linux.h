// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The system calls that the file operations on Linux share (POSIX, and Linux's own syncfs,
// sync_file_range and O_PATH), for the _linux.cpp files of this folder alone.

#include "FileErrors.h"
#include "FileOpsHandles.h"

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <unistd.h>

namespace rz408::fileops {

inline int Fd(const File& file) {
    return static_cast<int>(Handles::Of(file));
}

inline int Fd(const Folder& folder) {
    return static_cast<int>(Handles::Of(folder));
}

inline std::error_code LastError() {
    return {errno, std::generic_category()};
}

inline std::error_code CheckRegular(const struct stat& info) {
    if (S_ISREG(info.st_mode)) {
        return {};
    }
    if (S_ISDIR(info.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    return NotRegularFile();
}

// NAME as a C string, when it is one name of a folder.
inline std::error_code NameInFolder(std::string_view name, std::string& cName) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return NotAFileName();
    }
    cName.assign(name);
    return {};
}

// Calls READ (a read of the system) again while a signal interrupts it; GOT receives the bytes
// read.
template <typename Read>
inline std::error_code ReadRetrying(std::size_t& got, Read read) {
    for (;;) {
        const ssize_t n = read();
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (errno != EINTR) {
            got = 0;
            return LastError();
        }
    }
}

inline std::error_code CloseFd(int fd) {
    if (::close(fd) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

} // namespace rz408::fileops
