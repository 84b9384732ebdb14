#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// True when NAME matches the classic wildcard PATTERN: '*' stands for any run of characters,
// '?' for any one character, and letters compare without regard to case ("MAP.DEU" matches
// "*.deu"). A pattern without wildcards matches that one name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The names (without folder) of the ordinary files of FOLDER that match PATTERN, sorted by name
// without regard to case: no folders, no hidden files, no FIFOs, sockets or devices.
// Names are UTF-8 (on Linux, the bytes the file system holds). An unreadable folder lists
// nothing. This is the one listing that the window's file list and the batch command share.
std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern);

// The names (without folder) of the folders inside FOLDER that a walk over a folder tree enters,
// sorted as ListFolder sorts: no hidden folders, no links to folders (nor, on Windows,
// junctions). An unreadable folder lists nothing.
std::vector<std::string> ListSubfolders(const std::filesystem::path& folder);

// The path of NAME (as ListFolder returns it) inside FOLDER.
std::filesystem::path PathInFolder(const std::filesystem::path& folder, std::string_view name);

} // namespace rz408
