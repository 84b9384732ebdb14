// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileErrors.h"
#include "Folder.h"
#include "SystemCalls_windows.h"

namespace rz408::fileops {

File::~File() {
    if (IsOpen()) {
        ::CloseHandle(Handle(*this));
    }
}

Folder::~Folder() {
    if (IsOpen()) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    }
}

std::error_code OpenFolder(const std::filesystem::path& path, Folder& folder) {
    Handles::PathOf(folder) = path;
    // Windows has no calls that name a file inside an open folder; instead the run holds the
    // folder open without letting anyone delete it, which also keeps it from being renamed or
    // removed while the run works there by its path.
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Handles::ErrorOf(folder) = LastError();
        return Handles::ErrorOf(folder);
    }
    if (!(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(handle);
        Handles::ErrorOf(folder) = Win32Error(ERROR_DIRECTORY);
        return Handles::ErrorOf(folder);
    }
    Handles::Of(folder) = reinterpret_cast<std::intptr_t>(handle);
    Handles::ErrorOf(folder).clear();
    return {};
}

std::error_code OpenSubfolder(const Folder& parent, std::string_view name, Folder& folder) {
    std::wstring path;
    std::error_code& error = Handles::ErrorOf(folder);
    if ((error = PathIn(parent, name, path))) {
        return error;
    }
    Handles::PathOf(folder) = path;
    // The entry itself, never what a link or junction leads to; held without letting anyone
    // delete it, so that it cannot be renamed, removed or swapped while it is open.
    const HANDLE handle =
        ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return error;
    }
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) {
        BY_HANDLE_FILE_INFORMATION basic{};
        if (!::GetFileInformationByHandle(handle, &basic)) {
            error = LastError();
            ::CloseHandle(handle);
            return error;
        }
        info.FileAttributes = basic.dwFileAttributes;
        info.ReparseTag = 0; // unknown: a reparse point then counts as a link
    }
    if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = Win32Error(ERROR_DIRECTORY);
    } else if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
               IsLinkTag(info.ReparseTag)) {
        error = LinkNotFollowed();
    }
    if (error) {
        ::CloseHandle(handle);
        return error;
    }
    Handles::Of(folder) = reinterpret_cast<std::intptr_t>(handle);
    return {};
}

} // namespace rz408::fileops
