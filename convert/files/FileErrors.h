// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own reasons why a file operation failed.

#include <system_error>

namespace rz408::fileops {

// The error of a source that is no regular file (a FIFO, a device, a socket).
std::error_code NotRegularFile();

// The error of a name that is no single name of a folder ("", ".", "..", or with a separator).
std::error_code NotAFileName();

// The error of a symbolic link (or junction) where OpenSubfolder looks for a folder.
std::error_code LinkNotFollowed();

// The errors of a source that a run in a folder others can write to does not copy there: a
// symbolic link that its owner, another user than the one running, made to a file of another
// owner; a file of another owner than the folder's that not everyone may read.
std::error_code LinkToAnotherOwner();
std::error_code NotTheFolderOwners();

} // namespace rz408::fileops
