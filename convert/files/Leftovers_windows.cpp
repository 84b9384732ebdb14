// SPDX-License-Identifier: GPL-3.0-or-later
#include "Leftovers_windows.h"
#include "Leftovers.h"
#include "SystemCalls_windows.h"
#include "WideText.h"

#include <string>

namespace rz408::fileops {

LARGE_INTEGER FileTimeOf(std::int64_t seconds) {
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    LARGE_INTEGER time;
    time.QuadPart = (seconds + kSecondsFrom1601To1970) * 10000000;
    return time;
}

bool Marked(const FILETIME& accessed, std::string_view temporaryName) {
    const LARGE_INTEGER mark = FileTimeOf(TemporaryMark(temporaryName));
    return accessed.dwLowDateTime == mark.LowPart &&
           accessed.dwHighDateTime == static_cast<DWORD>(mark.HighPart);
}

std::size_t RemoveLeftovers(const Folder& folder) {
    if (!folder.IsOpen()) {
        return 0;
    }
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((Handles::PathOf(folder) / L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t removed = 0;
    do {
        // Only a hidden file (no folder, link or device) named and marked as a temporary file.
        // A live run holds its temporary files open without letting anyone delete them: the
        // deletion of those fails. A name with no UTF-8 form is none that this program gave.
        const std::string name = NameToUtf8(data.cFileName).value_or(std::string());
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                      FILE_ATTRIBUTE_DEVICE)) == 0 &&
            (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 && IsTemporaryName(name) &&
            Marked(data.ftLastAccessTime, name) &&
            ::DeleteFileW((Handles::PathOf(folder) / data.cFileName).c_str())) {
            ++removed;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return removed;
}

} // namespace rz408::fileops
