#pragma once

// The few file operations the conversion and the listing need, one source file per system
// (FileSystem_posix.cpp, FileSystem_windows.cpp); CMake builds the one that fits.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408::fsys {

// An open file; closed (errors ignored) when it goes out of scope unless Close was called.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const { return handle_ != kNoHandle; }

    // The system's handle (a file descriptor or a HANDLE), kNoHandle when closed.
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
};

// Opens an existing file for reading. Only regular files are opened (a symbolic link counts as
// what it points at): the check is made before opening, and again on the open file, and the
// open never waits, so a FIFO or device put in place of a source cannot hang the run.
std::error_code OpenForReading(const std::filesystem::path& path, File& file);

// Reads up to SIZE bytes; GOT is 0 at the end of the file.
std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got);

// Creates a new, empty, hidden file in the folder of TARGET for writing, with the access rights
// of the file TARGET when there is one (the rights a new file gets there otherwise).
// TEMPORARY receives its path.
std::error_code CreateTemporary(const std::filesystem::path& target, File& file,
                                std::filesystem::path& temporary);

// Writes all SIZE bytes, or reports why not.
std::error_code WriteAll(File& file, const char* data, std::size_t size);

// Cuts the file back to SIZE bytes and continues writing there.
std::error_code TruncateTo(File& file, std::uint64_t size);

// Closes the file and reports what closing found (a write the system could not complete).
std::error_code Close(File& file);

// Puts TEMPORARY in the place of TARGET in one step: a file that was there is replaced whole,
// a symbolic link that was there is replaced itself (never written through); a folder there
// stays and the call fails.
std::error_code Replace(const std::filesystem::path& temporary,
                        const std::filesystem::path& target);

// Removes a file, ignoring errors (cleaning up after a failure).
void RemoveQuietly(const std::filesystem::path& path);

// True for the entries the file list shows: ordinary files (or links to them) that are not
// hidden. NAME is the entry's name as the listing returns it.
bool IsListable(const std::filesystem::directory_entry& entry, std::string_view name);

// True when two file names (UTF-8) of one folder name the same file.
bool SameFileName(std::string_view a, std::string_view b);

// The error of a source that is no regular file (a FIFO, a device, a socket).
std::error_code NotRegularFile();

} // namespace rz408::fsys
