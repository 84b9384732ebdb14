#pragma once

#include "Conversion.h"
#include "LanguageProfile.h"

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

// The exit codes.
inline constexpr int kExitConverted = 0;   // every file of every folder converted
inline constexpr int kExitFileFailed = 1;  // at least one file (or folder) could not be converted
inline constexpr int kExitUsage = 2;       // bad arguments; nothing was converted
inline constexpr int kExitBlanksFound = 3; // --check: some character would become a blank

struct BatchArguments {
    enum class Action { Convert, Help, Version, UsageError };
    Action action = Action::UsageError;
    const LanguageProfile* profile = nullptr; // set for Convert
    std::vector<std::filesystem::path> folders;
    bool sync = false; // --sync: flush the copies to the disk before they replace the old ones
    // --encoding: the encoding every source is read in; none (auto) to tell it by each source.
    std::optional<SourceEncoding> encoding;
    std::string error; // set for UsageError: what was wrong, in one line
    // --recursive: every folder below each folder as well
    bool recursive = false;
    // --check: list the characters that would become blanks; convert and write nothing
    bool check = false;
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

// Converts every folder under PROFILE: the count message of each on OUT, one line per folder,
// every failure on ERR, and on ERR too one line for each source read as UTF-8 or UTF-16 (which
// is no failure). Returns kExitConverted or kExitFileFailed.
int ConvertFolders(const LanguageProfile& profile,
                   const std::vector<std::filesystem::path>& folders, Module1& m, std::ostream& out,
                   std::ostream& err, const RunOptions& options = {});

// Writes to ERR that SOURCE of FOLDER was read as UTF-8 or UTF-16, with the number of its broken
// sequences, which became blanks (for a CHECK: would become blanks).
void WriteUnicodeSource(std::ostream& err, const std::filesystem::path& folder,
                        const UnicodeSource& source, bool check = false);

// Flushes OUT. False when it could not be written, which ERR then says of WHAT ("the findings
// could not be written to standard output").
bool FlushOutput(std::ostream& out, std::ostream& err, std::string_view what);

// The whole command: parse, check, convert. ARGS are UTF-8, without the program name; the
// messages are UTF-8 too. Returns the exit code.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The text --help prints.
std::string HelpText();

} // namespace rz408
