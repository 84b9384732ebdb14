// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderEntries.h"
#include "PathText.h"
#include "SystemCalls_windows.h"
#include "WideText.h"

#include <filesystem>
#include <optional>
#include <string>

namespace rz408::fileops {

namespace {

// What the entry found as DATA in the folder PATH is.
EntryKind KindOf(const std::filesystem::path& folder, const WIN32_FIND_DATAW& data) {
    const DWORD attributes = data.dwFileAttributes;
    // The file list leaves out hidden and system entries by their marks; a name that starts
    // with a dot is an ordinary name here.
    if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        return EntryKind::Hidden;
    }
    const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return reparse && IsLinkTag(data.dwReserved0) ? EntryKind::Other : EntryKind::Folder;
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return EntryKind::Other;
    }
    if (!reparse) {
        return EntryKind::File;
    }
    // A link named like a file: what it leads to.
    const HANDLE handle =
        ::CreateFileW((folder / data.cFileName).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return EntryKind::Unfollowable;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!known) {
        return EntryKind::Unfollowable;
    }
    return (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0
               ? EntryKind::Other
               : EntryKind::File;
}

} // namespace

std::error_code ListEntries(const Folder& folder, const EntryVisitor& each) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    const std::filesystem::path& path = Handles::PathOf(folder);
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileExW((path / L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // The root of an empty drive has not even "." and "..".
        return error == ERROR_FILE_NOT_FOUND ? std::error_code() : Win32Error(error);
    }
    struct Close {
        HANDLE Find;
        ~Close() { ::FindClose(Find); }
    } const closing{find};
    do {
        const std::wstring_view wide = data.cFileName;
        if (wide == L"." || wide == L"..") {
            continue;
        }
        // A name that is no valid UTF-16 has no UTF-8 form: that one entry is left out, not the
        // whole folder.
        if (const std::optional<std::string> name = NameToUtf8(wide)) {
            each(*name, KindOf(path, data), {});
        }
    } while (::FindNextFileW(find, &data));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? std::error_code() : Win32Error(error);
}

bool SameFileName(std::string_view a, std::string_view b) {
    // Windows' file systems compare names without regard to case, letter by letter as the
    // system's upper-case table has them (Ä and ä are one name, as are I and i).
    const auto wide = [](std::string_view utf8) { return Utf8ToPath(utf8).wstring(); };
    try {
        const std::wstring x = wide(a);
        const std::wstring y = wide(b);
        return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                      static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
    } catch (...) {
        return a == b; // not UTF-8: compared as the bytes are
    }
}

} // namespace rz408::fileops
