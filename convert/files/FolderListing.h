// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Folder.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace rz408 {

// True when NAME matches the wildcard PATTERN: '*' stands for any run of characters,
// '?' for any one character, and letters compare without regard to case ("MAP.DEU" matches
// "*.deu"). A pattern without wildcards matches that one name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The names (without folder) of the ordinary files of FOLDER that match PATTERN, sorted by name
// without regard to case: no folders, no hidden files, no FIFOs, sockets or devices; but a
// symbolic link named like a source that cannot be followed (leading nowhere, in a loop, into a
// folder that cannot be searched), and an entry named like a source whose kind could not be read,
// are listed, so that a run names them as failed with the reason. Names are UTF-8 (on Linux, the
// bytes the file system holds). This is the one listing that the window's file list and the
// batch command share. The folder is listed through the open folder, so the length of its path
// and of the paths of its files does not matter.
//
// A folder that cannot be listed (missing, no folder, unreadable, no file descriptor left)
// lists nothing and sets ERROR to the reason; a listing that fails part way lists nothing too.
// ERROR is cleared when the folder was listed.
std::vector<std::string> ListFolder(const fileops::Folder& folder, std::string_view pattern,
                                    std::error_code& error);
std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern,
                                    std::error_code& error);

// The same, for callers that show an empty list for a folder that cannot be listed.
std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern);

// The folders inside a folder that a walk over a folder tree enters.
struct Subfolders {
    // Sorted as ListFolder sorts: no hidden folders, no links to folders (nor, on Windows,
    // junctions).
    std::vector<std::string> Names;
    // The entries, not hidden, that could be folders but whose kind could not be read, in the
    // order listed, with the reason: a walk names them rather than passing over them.
    std::vector<std::pair<std::string, std::error_code>> Unknown;
    // Why the folder could not be listed (then both are empty).
    std::error_code Error;
};
Subfolders ListSubfolders(const fileops::Folder& folder);

// The path of NAME (as ListFolder returns it) inside FOLDER.
std::filesystem::path PathInFolder(const std::filesystem::path& folder, std::string_view name);

} // namespace rz408
