// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace rz408 {

// Windows-1252 is the single-byte code page of the German and French systems the game runs on.
// Log files are written in it; the program's own texts are UTF-8.

// Encodes UTF-8 to Windows-1252. A character that Windows-1252 lacks, and every byte that is
// not part of valid UTF-8 (cut-short, overlong, surrogate or stray bytes), becomes one '?';
// the C1 controls U+0081, U+008D, U+008F, U+0090, U+009D become their own codes, so that
// Cp1252ToUtf8 and this function undo each other on every Windows-1252 text.
//
std::string Utf8ToCp1252(std::string_view utf8);

// A file name for the log file: as Utf8ToCp1252, but each control character (the codes below 32,
// 127, and the C1 controls U+0080 to U+009F) becomes a '?' as well, so that no name can end a
// line of the log or forge a record, whatever it holds.
std::string NameToCp1252(std::string_view utf8);

// Decodes Windows-1252 to UTF-8. The five codes that Windows-1252 leaves undefined
// (129, 141, 143, 144, 157) become the C1 control characters of the same value.
std::string Cp1252ToUtf8(std::string_view cp1252);

} // namespace rz408
