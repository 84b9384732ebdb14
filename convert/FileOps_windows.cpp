// SPDX-License-Identifier: GPL-3.0-or-later
// The file operations on Windows: the wide-character (UTF-16) Win32 calls throughout, so that
// every file name the system holds can be read, listed and written, whatever the code page.

#include "FileOps.h"
#include "FileOpsHandles.h"
#include "WideText.h"

#include "Win32.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace rz408::fileops {

namespace {

HANDLE Handle(const File& file) {
    return reinterpret_cast<HANDLE>(Handles::Of(file));
}

// Win32 error codes with their reasons in words, as the system words them (in its own language),
// in UTF-8. They compare equal to the portable conditions (std::errc) as the standard library's
// system category maps them.
class Win32Category : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::wstring wide = length != 0 ? std::wstring(text, length) : std::wstring();
        if (text != nullptr) {
            ::LocalFree(text);
        }
        // "The process cannot access the file ... process.\r\n": without the full stop and
        // line end, as the reasons of the other systems read.
        while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' ||
                                 wide.back() == L' ' || wide.back() == L'.')) {
            wide.pop_back();
        }
        if (wide.empty()) {
            return "system error " + std::to_string(code);
        }
        return WideToUtf8(wide);
    }

    std::error_condition default_error_condition(int code) const noexcept override {
        return std::system_category().default_error_condition(code);
    }
};

const std::error_category& Win32() {
    static const Win32Category category;
    return category;
}

std::error_code Win32Error(DWORD code) {
    return {static_cast<int>(code), Win32()};
}

std::error_code LastError() {
    return Win32Error(::GetLastError());
}

// The most bytes one ReadFile or WriteFile call moves (its count is 32 bits).
constexpr std::size_t kMostPerCall = 1u << 30;

// A name of the folder as UTF-16, when it is one name of a folder.
std::error_code WideName(std::string_view name, std::wstring& wide) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\\:\0", 4)) != std::string_view::npos) {
        return NotAFileName();
    }
    try {
        wide = std::filesystem::path(std::u8string(name.begin(), name.end())).wstring();
    } catch (const std::exception&) {
        return NotAFileName(); // not UTF-8
    }
    return {};
}

// The path of NAME in the open FOLDER.
std::error_code PathIn(const Folder& folder, std::string_view name, std::wstring& path) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::wstring wide;
    if (auto error = WideName(name, wide)) {
        return error;
    }
    path = (Handles::PathOf(folder) / wide).wstring();
    return {};
}

std::string Utf8(const wchar_t* wide) {
    const std::u8string u8 = std::filesystem::path(wide).u8string();
    return {u8.begin(), u8.end()};
}

// A moment (seconds since 1970, UTC) as Windows keeps file times: 100-nanosecond steps since 1601.
LARGE_INTEGER FileTimeOf(std::int64_t seconds) {
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    LARGE_INTEGER time;
    time.QuadPart = (seconds + kSecondsFrom1601To1970) * 10000000;
    return time;
}

// The temporary file TEMPORARY_NAME carries the mark of this program (TemporaryMark) as its time
// of last access, which nothing but a program that asks for it sets to a moment ahead.
bool Marked(const FILETIME& accessed, std::string_view temporaryName) {
    const LARGE_INTEGER mark = FileTimeOf(TemporaryMark(temporaryName));
    return accessed.dwLowDateTime == mark.LowPart &&
           accessed.dwHighDateTime == static_cast<DWORD>(mark.HighPart);
}

std::error_code CloseHandleOf(File& file) {
    const HANDLE handle = Handle(file);
    Handles::Of(file) = File::kNoHandle;
    if (!::CloseHandle(handle)) {
        return LastError();
    }
    return {};
}

} // namespace

File::~File() {
    if (IsOpen()) {
        ::CloseHandle(Handle(*this));
    }
}

Folder::~Folder() {
    if (IsOpen()) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
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

namespace {

// True for a reparse point that stands for another entry (a symbolic link, a junction), and for
// one that tells no tag (Wine's view of a Unix link). Others are real files and folders with
// data elsewhere: a folder of a cloud drive whose files come on demand.
bool IsLinkTag(DWORD tag) {
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

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
        HANDLE find;
        ~Close() { ::FindClose(find); }
    } const closing{find};
    do {
        const std::wstring_view wide = data.cFileName;
        if (wide == L"." || wide == L"..") {
            continue;
        }
        std::string name;
        try {
            name = Utf8(data.cFileName);
        } catch (const std::system_error&) {
            // A name that is no valid UTF-16 has no UTF-8 form: that one entry is left out, not
            // the whole folder.
            continue;
        }
        each(name, KindOf(path, data), {});
    } while (::FindNextFileW(find, &data));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? std::error_code() : Win32Error(error);
}

std::error_code OpenForReading(const Folder& folder, std::string_view name, File& file,
                               std::uint32_t* copyRights) {
    if (copyRights != nullptr) {
        *copyRights = kNewFileRights;
    }
    std::wstring path;
    if (auto error = PathIn(folder, name, path)) {
        return error;
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (attributes & FILE_ATTRIBUTE_DEVICE) {
        return NotRegularFile();
    }
    // Others may read the source meanwhile, but not write it: a file that another program holds
    // open for writing (or without sharing at all) fails with the sharing violation.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    Handles::Of(file) = reinterpret_cast<std::intptr_t>(handle);
    // A name such as CON, NUL or COM1 opens a device, not the file: never read from it.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return NotRegularFile();
    }
    return {};
}

std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got) {
    DWORD n = 0;
    if (!::ReadFile(Handle(file), data, static_cast<DWORD>(std::min(size, kMostPerCall)), &n,
                    nullptr)) {
        got = 0;
        return LastError();
    }
    got = n;
    return {};
}

std::error_code CreateTemporary(const Folder& folder, std::string_view targetName, File& file,
                                std::string& temporaryName) {
    std::wstring check;
    if (auto error = PathIn(folder, targetName, check)) {
        return error;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = TemporaryName(targetName, RandomSuffix());
        std::wstring path;
        if (auto error = PathIn(folder, temporaryName, path)) {
            return error;
        }
        // Hidden, so that no listing shows it. Held open without letting anyone else open or
        // delete it (the run itself renames it through this handle): nobody reads it
        // half-written or keeps it open to write into the copy later, RemoveLeftovers of another
        // run cannot remove it, and once the program ends, however it ends, it can.
        const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            Handles::Of(file) = reinterpret_cast<std::intptr_t>(handle);
            // The mark of this program's own temporary files (RemoveLeftovers).
            FILE_BASIC_INFO basic{};
            basic.LastAccessTime = FileTimeOf(TemporaryMark(temporaryName));
            ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
            return {};
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return Win32Error(error);
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

namespace {

// Writes all SIZE bytes at the file pointer, or from *OFFSET (through OVERLAPPED) when one is
// given.
std::error_code WriteFully(HANDLE handle, const char* data, std::size_t size,
                           const std::uint64_t* offset) {
    std::uint64_t at = offset != nullptr ? *offset : 0;
    while (size > 0) {
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD n = 0;
        if (!::WriteFile(handle, data, static_cast<DWORD>(std::min(size, kMostPerCall)), &n,
                         offset != nullptr ? &position : nullptr)) {
            return LastError();
        }
        if (n == 0) {
            return Win32Error(ERROR_DISK_FULL);
        }
        data += n;
        size -= n;
        at += n;
    }
    return {};
}

} // namespace

std::error_code WriteAll(File& file, const char* data, std::size_t size) {
    return WriteFully(Handle(file), data, size, nullptr);
}

// Windows writes a file's data on its own meanwhile; Replace flushes the rest.
void StartWriteBack(File&) {}

// At an offset, through OVERLAPPED: the file pointer then moves too (TruncateTo sets it).
std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    if (!::ReadFile(Handle(file), data, static_cast<DWORD>(std::min(size, kMostPerCall)), &n,
                    &at)) {
        got = 0;
        const DWORD error = ::GetLastError();
        return error == ERROR_HANDLE_EOF ? std::error_code() : Win32Error(error);
    }
    got = n;
    return {};
}

std::error_code WriteAt(File& file, std::uint64_t offset, const char* data, std::size_t size) {
    return WriteFully(Handle(file), data, size, &offset);
}

std::error_code TruncateTo(File& file, std::uint64_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(Handle(file), position, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(Handle(file))) {
        return LastError();
    }
    return {};
}

std::error_code FlushData(File& file) {
    if (!::FlushFileBuffers(Handle(file))) {
        return LastError();
    }
    return {};
}

// Flushing a whole volume needs administrator rights here: Replace flushes each file instead.
std::error_code FlushFileSystem(const Folder&) {
    return {};
}

// The temporary file is renamed through its open handle; its name is not needed.
std::error_code Replace(const Folder& folder, File& temporary, std::string_view,
                        std::string_view targetName, std::uint32_t) {
    std::wstring target;
    if (auto error = PathIn(folder, targetName, target)) {
        CloseHandleOf(temporary);
        return error;
    }
    const HANDLE handle = Handle(temporary);
    // Before the temporary file takes the target's place: every byte of it on the disk, and
    // its hidden mark and the mark of a temporary file taken off, so that the target is an
    // ordinary file that the lists show.
    FILE_BASIC_INFO basic{};
    bool done = ::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic);
    if (done) {
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        basic.LastAccessTime.LowPart = now.dwLowDateTime;
        basic.LastAccessTime.HighPart = static_cast<LONG>(now.dwHighDateTime);
        basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
        if (basic.FileAttributes == 0) {
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        done = ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) &&
               ::FlushFileBuffers(handle);
    }
    if (!done) {
        const std::error_code error = LastError();
        CloseHandleOf(temporary);
        return error;
    }
    // A read-only target is the user's protection against overwriting: it stays, as Windows'
    // own MoveFileExW keeps it (Wine would replace it).
    // A folder in the target's place is named as such (the move would say "access denied").
    const DWORD targetAttributes = ::GetFileAttributesW(target.c_str());
    std::error_code refused;
    if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
        if (targetAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            refused = std::make_error_code(std::errc::is_a_directory);
        } else if (targetAttributes & FILE_ATTRIBUTE_READONLY) {
            refused = Win32Error(ERROR_ACCESS_DENIED);
        }
    }
    if (refused) {
        CloseHandleOf(temporary);
        return refused;
    }
    // Renamed through its own handle, so that nobody else can take it away before: a file that
    // was there is replaced whole, a symbolic link is replaced itself.
    const std::size_t bytes = target.size() * sizeof(wchar_t);
    std::string buffer(sizeof(FILE_RENAME_INFO) + bytes, '\0');
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(rename->FileName, target.data(), bytes);
    if (!::SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size()))) {
        const std::error_code error = LastError();
        CloseHandleOf(temporary);
        return error;
    }
    return CloseHandleOf(temporary);
}

void RemoveQuietly(const Folder& folder, File& file, std::string_view name) {
    if (file.IsOpen()) {
        CloseHandleOf(file);
    }
    std::wstring path;
    if (!PathIn(folder, name, path)) {
        ::DeleteFileW(path.c_str());
    }
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
        // deletion of those fails.
        const std::string name = Utf8(data.cFileName);
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

// No signal ends a program for writing a large file here.
void FailWritesBeyondTheSizeLimit() {}

bool OpenToForget(const Folder&, std::string_view, File&, std::uint64_t&) {
    return false; // Windows frees a replaced file's cache on its own
}

void ForgetCached(File&, std::uint64_t, std::uint64_t) {}

std::thread StartQuietThread(std::function<void()> work) {
    return std::thread(std::move(work)); // Windows delivers no signals to threads
}

// Nothing to do here: a console's Ctrl+C ends the program from a thread of its own while the
// run goes on writing, and the open temporary file could not be deleted then. What a stop
// leaves behind is hidden, so neither the file list nor a listing shows it, and the next run in
// the folder removes it (RemoveLeftovers).
void RemoveTemporariesOnInterrupt() {}

bool SameFileName(std::string_view a, std::string_view b) {
    // Windows' file systems compare names without regard to case, letter by letter as the
    // system's upper-case table has them (Ä and ä are one name, as are I and i).
    const auto wide = [](std::string_view utf8) {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
    };
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
