// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Owners and access rights of files on Linux, for the _linux.cpp files of this folder alone.
// (Windows gives a new file the rights its folder passes on.)

#include "Folder.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <system_error>

namespace rz408::fileops {

// The umask, which the access rights of a new file are less of. Read from /proc, which leaves
// the umask as it is; where /proc is missing, set and set back at once.
std::uint32_t Umask();

// A copy that replaces an older file keeps what the older file had: its access rights, and its
// owner and group where this program may give them (as root, or a group the user belongs to). A
// set-user-ID or set-group-ID bit stays only under the old file's owner or group: a copy never
// carries it to another owner (the content comes from a source someone else may control). A new
// file gets NEW_RIGHTS less the umask (a copy its source's: never more open than that). Done once
// the file is written, before it takes the old one's place: until then the file is its maker's
// alone (CreateTemporary), and the system would take set-ID bits off a file that a user other
// than root writes to.
void GiveFinalRights(const Folder& folder, const std::string& targetName, int fd,
                     std::uint32_t newRights);

// Whether a source opened in FOLDER may be copied there: SOURCE is the open file, LINK the
// symbolic link it was reached through (null when none). A run as root in a user's folder, say:
// the user may have put there a link to a file only root may read, or a hard link to one; its
// copy would hand the file to the user. In a folder that only the user running can write to, all
// its links and files are that user's doing.
std::error_code CheckOwners(const Folder& folder, const struct stat* link,
                            const struct stat& source);

} // namespace rz408::fileops
