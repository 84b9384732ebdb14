// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The temporary files a run leaves when it does not end normally: their names and marks, and
// the sweep that removes them.

#include "Folder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rz408::fileops {

// Removes from FOLDER the temporary files that runs which did not end normally left behind (a
// killed program, a power cut): the regular files named like temporary files (IsTemporaryName)
// that carry the mark CreateTemporary sets for that name, and that no live program holds open.
// Anything else stays, however much it looks like one. Never waits. Returns how many it removed.
std::size_t RemoveLeftovers(const Folder& folder);

// True for the names CreateTemporary gives: "." NAME ".rz408-tmp-" and twelve small letters or
// digits.
bool IsTemporaryName(std::string_view name);

// The name of a new temporary file for TARGET_NAME ending in SUFFIX (RandomSuffix): hidden, and
// short enough for any file system whatever the length of TARGET_NAME.
std::string TemporaryName(std::string_view targetName, std::string_view suffix);

// The moment (seconds since 1970, UTC) that marks the temporary file TEMPORARY_NAME as this
// program's own: far ahead, an even second (file systems that keep times to two seconds keep it
// whole), different for different names.
std::int64_t TemporaryMark(std::string_view temporaryName);

// Twelve small letters or digits, different for every call.
std::string RandomSuffix();

} // namespace rz408::fileops
