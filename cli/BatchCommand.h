// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderConversion.h"
#include "LanguageProfile.h"
#include "SourceEncoding.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// rz408-convert --language german|french [--recursive] [--check] FOLDER...
//
// Converts each FOLDER exactly as the window's convert button does under that language; with
// --recursive, every folder below each FOLDER as well (FolderTree.h); with --check, lists the
// characters that would become blanks instead (CheckCommand.h).

// What the command line asks for.
enum class BatchAction { Convert, Help, Version, UsageError };

struct BatchArguments {
    BatchAction Action = BatchAction::UsageError;
    const LanguageProfile* Profile = nullptr; // set for Convert
    std::vector<std::filesystem::path> Folders;
    // --encoding: the encoding every source is read in; none (auto) to tell it by each source.
    std::optional<SourceEncoding> Encoding;
    std::string Error; // set for UsageError: what was wrong, in one line
    // --recursive: every folder below each folder as well
    bool Recursive = false;
    // --check: list the characters that would become blanks; convert and write nothing
    bool Check = false;
};

// The profile a --language value names: german/de/deutsch and french/fr/francais, in any
// case. Null for anything else (english included, which has conversion switched off).
const LanguageProfile* ProfileForLanguage(std::string_view language);

// The encoding an --encoding value names: windows-1252, utf-8, utf-16le, utf-16be, in any
// case (ENCODING set), or auto (ENCODING empty). False for anything else.
bool EncodingForName(std::string_view name, std::optional<SourceEncoding>& encoding);

// Reads the arguments (without the program name, UTF-8). Does not look at the file system.
BatchArguments ParseArguments(const std::vector<std::string>& args);

// Checks that every folder exists and is a folder; writes one message per bad folder to ERR.
bool CheckFolders(const std::vector<std::filesystem::path>& folders, std::ostream& err);

// The whole command: parse, check, convert. ARGS are UTF-8, without the program name; the
// messages are UTF-8 too. Returns the exit code.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The text --help prints.
std::string HelpText();

} // namespace rz408
