// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The check before a conversion: which characters of the sources would become blanks, and where.
// It reads the sources exactly as a conversion reads them and writes nothing at all.

#include "Folder.h"
#include "Module1.h"
#include "RunReport.h"
#include "SourceEncoding.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// One character of a source that a conversion turns into a blank and logs.
struct BlankFinding {
    // Where it stands, both from 1. Lines end as the conversion ends them: at a carriage return,
    // with a line feed right behind it belonging to that end; a lone line feed does not end a
    // line and takes a column of it. Columns count characters (a UTF-8 or UTF-16 character, a
    // surrogate pair, a broken sequence: one each); a byte-order mark is not counted.
    std::uint64_t Line = 1;
    std::uint64_t Column = 1;
    char32_t Character = 0; // U+FFFD for a broken sequence
    // The code the log gives it: its Windows-1252 code, or the Unicode number of a character
    // that Windows-1252 lacks (65533 for a broken sequence).
    std::int64_t Code = 0;
    bool Broken = false; // a sequence not valid in the source's encoding
};

// What a check of one folder's sources found, besides the blanks themselves.
struct CheckReport {
    std::uint64_t Checked = 0;    // sources read to their end
    std::uint64_t WithBlanks = 0; // sources with at least one blank
    std::uint64_t Blanks = 0;     // characters found
    // Sources that a conversion would not convert: those that could not be read (Action::Read),
    // and one whose copy would be the log file itself (Action::CopyIsLog), which is not read.
    std::vector<FileFailure> Failures;
    // The sources read as UTF-8 or UTF-16, in the list's order.
    std::vector<UnicodeSource> UnicodeSources;
};

// The check of NAMES (as ListFolder lists them) in FOLDER under the language texts of M: calls
// EACH with the name of the source and every character of it that ConversionRun would log,
// source by source, in the order they stand. Opens every file for reading only; never creates,
// changes or removes anything (not even the leftovers of earlier runs that a conversion removes).
// No exception leaves it.
CheckReport CheckRun(const Module1& m, const fileops::Folder& folder,
                     const std::vector<std::string>& names, std::optional<SourceEncoding> encoding,
                     const std::function<void(std::string_view name, const BlankFinding&)>& each);

// A finding as the log's language words it, in UTF-8: the character, LogTextBefore, the code as
// number text, LogTextAfter ("„ (ascii werte 132) ist konvertiert zu leerzeichen."). The
// character stands as itself, also one that Windows-1252 lacks; one that shows no form of its
// own stands as "<U+XXXX>" (the C1 controls, the spaces other than the blank, the line and
// paragraph separators, the characters that are ignored where they stand, such as the soft
// hyphen, zero-width and direction marks, and the private-use and non-characters); a broken
// sequence as U+FFFD, the "�" an editor shows in its place.
std::string FindingText(const Module1& m, const BlankFinding& finding);

} // namespace rz408
