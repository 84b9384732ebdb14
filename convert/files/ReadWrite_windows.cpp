// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileErrors.h"
#include "ReadWrite.h"
#include "Replace.h"
#include "SystemCalls_windows.h"

#include <algorithm>

namespace rz408::fileops {

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

bool OpenToForget(const Folder&, std::string_view, File&, std::uint64_t&) {
    return false; // Windows frees a replaced file's cache on its own
}

void ForgetCached(File&, std::uint64_t, std::uint64_t) {}

} // namespace rz408::fileops
