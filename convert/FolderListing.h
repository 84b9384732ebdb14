// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {

// True when NAME matches the wildcard PATTERN: '*' stands for any run of characters,
// '?' for any one character, and letters compare without regard to case ("MAP.DEU" matches
// "*.deu"). A pattern without wildcards matches that one name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The names (without folder) of the ordinary files of FOLDER that match PATTERN, sorted by name
// without regard to case: no folders, no hidden files, no FIFOs, sockets or devices; but a
// symbolic link named like a source that cannot be followed (leading nowhere, in a loop, into a
// folder that cannot be searched) is listed, so that a run names it as failed with the reason.
// Names are UTF-8 (on Linux, the bytes the file system holds). This is the one listing that the
// window's file list and the batch command share.
//
// A folder that cannot be listed (missing, no folder, unreadable, no file descriptor left)
// lists nothing and sets ERROR to the reason; a listing that fails part way lists nothing too.
// ERROR is cleared when the folder was listed.
std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern,
                                    std::error_code& error);

// The same, for callers that show an empty list for a folder that cannot be listed.
std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern);

// The names (without folder) of the folders inside FOLDER that a walk over a folder tree enters,
// sorted as ListFolder sorts: no hidden folders, no links to folders (nor, on Windows,
// junctions). An unreadable folder lists nothing.
std::vector<std::string> ListSubfolders(const std::filesystem::path& folder);

// The path of NAME (as ListFolder returns it) inside FOLDER.
std::filesystem::path PathInFolder(const std::filesystem::path& folder, std::string_view name);

} // namespace rz408
