// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conversion of folders by the batch command, and what its commands write alike: the exit
// codes, the program's name in its messages, the sources read as Unicode text, the last flush of
// standard output.

#include "ConversionRun.h"
#include "Folder.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "RunReport.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {

// The exit codes.
inline constexpr int kExitConverted = 0;   // every file of every folder converted
inline constexpr int kExitFileFailed = 1;  // at least one file (or folder) could not be converted
inline constexpr int kExitUsage = 2;       // bad arguments; nothing was converted
inline constexpr int kExitBlanksFound = 3; // --check: some character would become a blank

// The name that begins each message of the batch command.
inline constexpr std::string_view kProgram = "rz408-convert";

// The one rule by which everything the batch command prints shows names and paths (UTF-8), so
// that no name can move the cursor of a terminal or begin a line of its own: each run of control
// characters (the codes below 32, 127, the C1 controls U+0080 to U+009F) and of bytes that are no
// UTF-8 is written as the shell writes it, $'\n' or $'\033[2J', as ls shows such names on a
// terminal. Everything else stays as it is. Shown (ShownText): the text alone (the lines of
// --check, the folders of the count lines); Quoted (QuotedText): in single quotes ('a'$'\n''b'), as
// messages name files.
std::string ShownText(std::string_view text);
std::string Shown(const std::filesystem::path& path);
std::string QuotedText(std::string_view text);
std::string Quoted(const std::filesystem::path& path);

// Names on ERR a folder that cannot be read, with the reason.
void WriteUnreadableFolder(std::ostream& err, const std::filesystem::path& path,
                           const std::error_code& reason);

// Converts every folder under PROFILE: the count message of each on OUT, one line per folder,
// every failure on ERR, and on ERR too one line for each source read as UTF-8 or UTF-16 (which
// is no failure). Returns kExitConverted or kExitFileFailed.
int ConvertFolders(const LanguageProfile& profile,
                   const std::vector<std::filesystem::path>& folders, Module1& m, std::ostream& out,
                   std::ostream& err, const RunOptions& options = {});

// The same for one FOLDER already open (or not, when it could not be opened: then it is named as
// a folder that cannot be read), shown by its PATH. Does not flush OUT.
int ConvertFolder(const LanguageProfile& profile, const fileops::Folder& folder,
                  const std::filesystem::path& path, Module1& m, std::ostream& out,
                  std::ostream& err, const RunOptions& options);

// Writes to ERR that SOURCE of FOLDER was read as UTF-8 or UTF-16, with the number of its broken
// sequences, which became blanks (for a CHECK: would become blanks).
void WriteUnicodeSource(std::ostream& err, const std::filesystem::path& folder,
                        const UnicodeSource& source, bool check = false);

// Flushes OUT. False when it could not be written, which ERR then says of WHAT ("the findings
// could not be written to standard output").
bool FlushOutput(std::ostream& out, std::ostream& err, std::string_view what);

} // namespace rz408
