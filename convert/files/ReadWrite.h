// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading sources and writing copies, and getting what was written onto the disk.

#include "Folder.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace rz408::fileops {

// Opens the file NAME of FOLDER for reading. Only regular files are opened (a symbolic link
// counts as what it points at): the check is made before opening, and again on the open file,
// and the open never waits, so a FIFO or device put in place of a source cannot hang the run.
//
// In a folder that others can write to (on Linux: one whose owner is not the user running, or
// that its group or everyone may write to), nothing that the folder's owner could not read is
// handed over to the folder: a symbolic link made by another user than the one running is
// followed only to a file of the link's own owner (LinkToAnotherOwner otherwise), and a file
// whose owner is not the folder's is read only when everyone may read it (NotTheFolderOwners
// otherwise). So a run as root in a user's folder never copies a file only root may read there.
//
// COPY_RIGHTS, when given, receives the access rights a new copy of the file gets (less the
// umask) where no file stood in its place, as cp gives them: on Linux the source's read, write
// and execute bits for its owner, its group and others, never a set-ID bit, so that a copy is
// never more open than its source (Windows: kNewFileRights; a new file there gets the rights its
// folder passes on).
std::error_code OpenForReading(const Folder& folder, std::string_view name, File& file,
                               std::uint32_t* copyRights = nullptr);

// Reads up to SIZE bytes; GOT is 0 at the end of the file.
std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got);

// Writes all SIZE bytes, or reports why not.
std::error_code WriteAll(File& file, const char* data, std::size_t size);

// Starts writing what was written to FILE so far to the disk, without waiting for it, so that a
// flush later (FlushData, FlushFileSystem) finds little left to wait for. Does nothing where the
// system offers no such start (Windows).
void StartWriteBack(File& file);

// Reads up to SIZE bytes at OFFSET of a file made by CreateTemporary, and writes SIZE bytes
// there (records moved within the log). Where WriteAll goes on afterwards is not fixed: a
// TruncateTo sets it.
std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got);
std::error_code WriteAt(File& file, std::uint64_t offset, const char* data, std::size_t size);

// Cuts the file back to SIZE bytes and continues writing there.
std::error_code TruncateTo(File& file, std::uint64_t size);

// Writes the data of the open FILE to the disk; reports any write of it the disk refused,
// also one the system made earlier on its own.
std::error_code FlushData(File& file);

// Writing many small files to the disk one by one costs a round trip to the disk each; one
// flush of the whole file system costs one. So the run flushes its copies in batches:
// FlushFileSystem writes everything written on the folder's file system to the disk and reports
// whether the disk refused any of it since the folder was opened or last flushed (Linux 5.8 and
// later tell; not which file, nor whose). On an error, FlushData on each file in question finds
// which of them did not reach the disk. Where the system offers no such flush, FlushFileSystem
// does nothing and reports success, and Replace flushes each file itself before it takes the
// target's place.
std::error_code FlushFileSystem(const Folder& folder);

// Opens the file NAME of FOLDER, a file about to be replaced, for ForgetCached when it is a
// regular file of 1 MiB or more (never a link, FIFO or device); SIZE receives its size. False
// when it is not (always on Windows).
bool OpenToForget(const Folder& folder, std::string_view name, File& file, std::uint64_t& size);

// Drops the data of FILE from OFFSET on, SIZE bytes, from the system's cache (on Linux; data not
// yet written stays): freeing the cache of a large file takes many milliseconds, which replacing
// the file would otherwise cost.
void ForgetCached(File& file, std::uint64_t offset, std::uint64_t size);

} // namespace rz408::fileops
