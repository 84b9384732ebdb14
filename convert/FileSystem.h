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

// Reads up to SIZE bytes at OFFSET of a file made by CreateTemporary, and writes SIZE bytes
// there (records moved within the log). Where WriteAll goes on afterwards is not fixed: a
// TruncateTo sets it.
std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got);
std::error_code WriteAt(File& file, std::uint64_t offset, const char* data, std::size_t size);

// Cuts the file back to SIZE bytes and continues writing there.
std::error_code TruncateTo(File& file, std::uint64_t size);

// Closes the file and reports what closing found (a write the system could not complete).
std::error_code Close(File& file);

// Writes the data of the open FILE to the disk; reports any write of it the disk refused,
// also one the system made earlier on its own.
std::error_code FlushData(File& file);

// Writing many small files to the disk one by one costs a round trip to the disk each; one
// flush of the whole file system costs one. So the run flushes its copies in batches:
//
// OpenFolder opens FOLDER for FlushFileSystem. FlushFileSystem writes everything written on the
// folder's file system to the disk and reports whether the disk refused any of it since the
// folder was opened or last flushed (Linux 5.8 and later tell; not which file, nor whose). On
// an error, FlushFile on each file in question finds which of them did not reach the disk.
// Where the system offers no such flush, FlushFileSystem does nothing and reports success,
// and Replace flushes each file itself before it takes the target's place.
std::error_code OpenFolder(const std::filesystem::path& folder, File& handle);
std::error_code FlushFileSystem(File& folder);

// Writes the data of the closed file PATH to the disk; reports a write of it that the disk
// refused, also one refused before the call.
std::error_code FlushFile(const std::filesystem::path& path);

// Puts TEMPORARY in the place of TARGET in one step: a file that was there is replaced whole,
// a symbolic link that was there is replaced itself (never written through); a folder there
// stays and the call fails.
std::error_code Replace(const std::filesystem::path& temporary,
                        const std::filesystem::path& target);

// Removes a file, ignoring errors (cleaning up after a failure).
void RemoveQuietly(const std::filesystem::path& path);

// From now on, when the program is ended by a request to stop (Ctrl+C, a termination request,
// a closed terminal), the temporary files that exist at that moment are removed first, and the
// program then ends as the request would have ended it. A request ignored before the call stays
// ignored. Called once, at the program's start.
void RemoveTemporariesOnInterrupt();

// True for the entries the file list shows: ordinary files (or links to them) that are not
// hidden. NAME is the entry's name as the listing returns it.
bool IsListable(const std::filesystem::directory_entry& entry, std::string_view name);

// True for the folders a walk over a folder tree enters: real folders that are not hidden, never
// a link to a folder (which could lead outside the tree, or back into it). NAME is the entry's
// name as the listing returns it.
bool IsEnterableFolder(const std::filesystem::directory_entry& entry, std::string_view name);

// True when two file names (UTF-8) of one folder name the same file.
bool SameFileName(std::string_view a, std::string_view b);

// The error of a source that is no regular file (a FIFO, a device, a socket).
std::error_code NotRegularFile();

} // namespace rz408::fsys
