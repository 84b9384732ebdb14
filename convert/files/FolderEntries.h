// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Listing a folder: its entries, what each is, and which of them the lists show.

#include "Folder.h"

#include <functional>
#include <string_view>
#include <system_error>

namespace rz408::fileops {

// What a listing tells of an entry of a folder.
enum class EntryKind {
    Hidden,       // a hidden entry: a name that starts with a dot (Windows: hidden or system)
    File,         // a regular file, or a symbolic link that leads to one
    Unfollowable, // a symbolic link that cannot be followed: leading nowhere, in a loop, or into
                  // a folder that cannot be searched
    Folder,       // a real folder, never a link to one (nor, on Windows, a junction)
    Other,        // anything else: a link to a folder, a FIFO, a socket, a device
    Unknown,      // what the entry is could not be read (the listing gives the reason)
};

// Calls EACH with the name (UTF-8) and kind of every entry of FOLDER but "." and "..", and for
// an entry of kind Unknown the reason. Each entry is looked at relative to the open folder, so
// the length of the folder's path does not matter; an entry gone since it was read is left out.
// Returns why the folder could not be listed, also part way.
using EntryVisitor =
    std::function<void(std::string_view name, EntryKind kind, std::error_code why)>;
std::error_code ListEntries(const Folder& folder, const EntryVisitor& each);

// True for the entries the file list shows: ordinary files (or links to them) that are not
// hidden, and links named like them that cannot be followed, and entries whose kind could not be
// read, so that the run names them as failed with the reason instead of passing over them.
inline bool IsListable(EntryKind kind) {
    return kind == EntryKind::File || kind == EntryKind::Unfollowable || kind == EntryKind::Unknown;
}

// True for the folders a walk over a folder tree enters: real folders that are not hidden, never
// a link to a folder (which could lead outside the tree, or back into it).
inline bool IsEnterableFolder(EntryKind kind) {
    return kind == EntryKind::Folder;
}

// True when two file names (UTF-8) of one folder name the same file.
bool SameFileName(std::string_view a, std::string_view b);

} // namespace rz408::fileops
