// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// rz408-convert --check: which characters of the sources would become blanks, for translators
// and their CI, without converting or writing anything.

#include "LanguageProfile.h"
#include "SourceEncoding.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <vector>

namespace rz408 {

// Checks the sources of every folder of FOLDERS (with RECURSIVE: every folder of each tree, walked
// as WalkFolderTree walks it) under PROFILE, as a conversion would read them in ENCODING (none:
// each source tells).
//
// OUT gets one line per character that would become a blank, in the log's language (UTF-8):
// "PATH:LINE:COLUMN: CHARACTER LogTextBefore CODE LogTextAfter", PATH the folder as given
// joined with the source's name (Shown). ERR gets, per folder, the sources that could not be read,
// the sources read as UTF-8 or UTF-16, and one summary line.
//
// Returns kExitConverted when no character would become a blank, kExitBlanksFound when some
// would, and kExitFileFailed when a folder or a source could not be read, when a source would
// not be converted (its copy would be the log file), or when OUT could not be written.
int CheckSources(const LanguageProfile& profile, const std::vector<std::filesystem::path>& folders,
                 std::optional<SourceEncoding> encoding, std::ostream& out, std::ostream& err,
                 bool recursive = false);

} // namespace rz408
