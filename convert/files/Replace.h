// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A new file written under a hidden name, that takes the place of its target in one step once it
// is whole.

#include "Folder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408::fileops {

// Creates a new, empty, hidden file in FOLDER for writing, to take the place of the file
// TARGET_NAME later (Replace); TEMPORARY_NAME receives its name. Until then only the program may
// open it (on Linux it is created with rights for its owner alone). As long as it stays open it
// is marked as in use, and RemoveLeftovers of any run leaves it alone; the mark ends with the
// program, however it ends. It also carries a mark that only this program sets (its time of
// last access, set to a moment ahead that depends on its name: TemporaryMark), by which
// RemoveLeftovers tells it from a file that someone merely named like it.
std::error_code CreateTemporary(const Folder& folder, std::string_view targetName, File& file,
                                std::string& temporaryName);

// Closes TEMPORARY (made by CreateTemporary as TEMPORARY_NAME), reporting what closing found (a
// write the system could not complete), and puts it in the place of TARGET_NAME in one step: a
// file that was there is replaced whole, a symbolic link that was there is replaced itself (never
// written through); a folder there stays and the call fails. The caller has flushed its data to
// the disk before (FlushData, FlushFileSystem): a name never points at data that is not there.
// First the file gets its final rights: when TARGET_NAME is a file, its access rights, and its
// owner and group where this program may give them (run as root); set-user-ID and set-group-ID
// bits stay only under the old file's owner and group (otherwise they are dropped, as cp drops
// them); a new file gets NEW_RIGHTS less the umask (a copy's, kNewFileRights). Its mark of a
// temporary file is taken off. On failure the temporary file stays, closed, for RemoveQuietly.
std::error_code Replace(const Folder& folder, File& temporary, std::string_view temporaryName,
                        std::string_view targetName, std::uint32_t newRights);

// The access rights of a new file that is no copy (the log), less the umask.
inline constexpr std::uint32_t kNewFileRights = 0666;

// Closes FILE when it is open and removes the file NAME of FOLDER, ignoring errors (cleaning up
// after a failure).
void RemoveQuietly(const Folder& folder, File& file, std::string_view name);

} // namespace rz408::fileops
