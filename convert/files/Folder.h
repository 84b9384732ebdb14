// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files and folders as the program opens them.
//
// A run works inside the folder it opened: it opens the folder once (a Folder) and names every
// file it reads, creates, replaces or removes there by its name in that open folder, so that a
// folder renamed, or replaced by another one or by a link, while the run goes on does not send
// the rest of the run elsewhere. File names are UTF-8 as the listing returns them (on Linux, the
// bytes the file system holds); a name is one name of the folder, never a path.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace rz408::fileops {

// The one way into the system handles of File and Folder, for the file operations of each system
// (the Name_linux.cpp and Name_windows.cpp files of this folder): FileOpsHandles.h.
struct Handles;

// An open file; closed (errors ignored) when it goes out of scope.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : m_handle(std::exchange(other.m_handle, kNoHandle)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            File closing;
            closing.m_handle = std::exchange(m_handle, std::exchange(other.m_handle, kNoHandle));
        }
        return *this;
    }
    ~File();

    bool IsOpen() const { return m_handle != kNoHandle; }

    // The value of no system handle.
    static constexpr std::intptr_t kNoHandle = -1;

private:
    friend struct Handles;
    std::intptr_t m_handle = kNoHandle; // a file descriptor or a HANDLE; kNoHandle when closed
};

// An open folder, closed when it goes out of scope. On Linux a descriptor of the folder; on
// Windows a handle that keeps the folder from being renamed or removed while it is open, and the
// folder's path (Windows names files by path only).
class Folder {
public:
    Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    bool IsOpen() const { return m_handle != File::kNoHandle; }

private:
    friend struct Handles;
    std::intptr_t m_handle = File::kNoHandle;
    std::filesystem::path m_path;
    // Why OpenFolder failed: every operation in a folder that is not open reports it.
    std::error_code m_error = std::make_error_code(std::errc::bad_file_descriptor);
    // Linux: the umask, which a new file's access rights are less of, read once when it opens.
    std::uint32_t m_umask = 022;
};

// Opens FOLDER for the operations below.
std::error_code OpenFolder(const std::filesystem::path& path, Folder& folder);

// Opens the folder NAME of the open folder PARENT for the operations below: only a real folder,
// never a symbolic link (nor, on Windows, a junction) that took its place, so that a walk over a
// folder tree never leaves it, whatever is renamed or replaced meanwhile. The opened folder
// cannot be swapped for another while it is open (on Linux it is held by its descriptor; on
// Windows it cannot be renamed or removed), and it is found relative to PARENT, so the length
// of its path does not matter.
std::error_code OpenSubfolder(const Folder& parent, std::string_view name, Folder& folder);

} // namespace rz408::fileops
