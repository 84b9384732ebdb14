// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchCommand.h"

#include "CheckCommand.h"
#include "ConversionRun.h"
#include "FolderConversion.h"
#include "FolderListing.h"
#include "FolderTree.h"
#include "Module1.h"
#include "PathText.h"
#include "SourceDecoding.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <optional>
#include <ostream>
#include <system_error>

#ifndef RZ408_VERSION
#define RZ408_VERSION "unknown"
#endif
#ifndef RZ408_LICENSE
#define RZ408_LICENSE "unknown"
#endif

namespace rz408 {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool NamesEnglish(std::string_view language) {
    const std::string lower = Lower(language);
    return lower == "english" || lower == "en";
}

BatchArguments UsageError(std::string message) {
    BatchArguments result;
    result.Action = BatchAction::UsageError;
    result.Error = std::move(message);
    return result;
}

} // namespace

const LanguageProfile* ProfileForLanguage(std::string_view language) {
    const std::string lower = Lower(language);
    if (lower == "german" || lower == "de" || lower == "deutsch") {
        return &kGermanProfile;
    }
    if (lower == "french" || lower == "fr" || lower == "francais") {
        return &kFrenchProfile;
    }
    return nullptr;
}

bool EncodingForName(std::string_view name, std::optional<SourceEncoding>& encoding) {
    const std::string lower = Lower(name);
    if (lower == "auto") {
        encoding.reset();
        return true;
    }
    for (const SourceEncoding known : {SourceEncoding::Windows1252, SourceEncoding::Utf8,
                                       SourceEncoding::Utf16LE, SourceEncoding::Utf16BE}) {
        if (lower == Lower(EncodingName(known))) {
            encoding = known;
            return true;
        }
    }
    return false;
}

BatchArguments ParseArguments(const std::vector<std::string>& args) {
    std::optional<std::string> language;
    std::optional<SourceEncoding> encoding;
    constexpr std::string_view kEncodings = "auto, windows-1252, utf-8, utf-16le or utf-16be";
    std::vector<fs::path> folders;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    bool recursive = false;
    bool check = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            folders.push_back(Utf8ToPath(arg));
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version" || arg == "-V") {
            version = true;
        } else if (arg == "--sync") {
            // Every run flushes its copies to the disk; scripts written for earlier versions
            // still pass it.
        } else if (arg == "--recursive" || arg == "-r") {
            recursive = true;
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--language" || arg == "-l") {
            if (i + 1 == args.size()) {
                return UsageError("option " + QuotedText(arg) +
                                  " needs a language: german or french");
            }
            language = args[++i];
        } else if (arg.starts_with("--language=")) {
            language = arg.substr(std::string_view("--language=").size());
        } else if (arg.starts_with("-l")) {
            language = arg.substr(2);
        } else if (arg == "--encoding" || arg.starts_with("--encoding=")) {
            const bool joined = arg != "--encoding";
            if (!joined && i + 1 == args.size()) {
                return UsageError("option '--encoding' needs an encoding: " +
                                  std::string(kEncodings));
            }
            const std::string& name =
                joined ? arg.substr(std::string_view("--encoding=").size()) : args[++i];
            if (!EncodingForName(name, encoding)) {
                return UsageError("unknown encoding " + QuotedText(name) + ": use " +
                                  std::string(kEncodings));
            }
        } else {
            return UsageError("unknown option " + QuotedText(arg));
        }
    }

    BatchArguments result;
    if (help) {
        result.Action = BatchAction::Help;
        return result;
    }
    if (version) {
        result.Action = BatchAction::Version;
        return result;
    }
    if (!language) {
        return UsageError("no language given: use --language german or --language french");
    }
    result.Profile = ProfileForLanguage(*language);
    if (result.Profile == nullptr) {
        if (NamesEnglish(*language)) {
            return UsageError("the English profile has conversion switched off; use --language "
                              "german or --language french");
        }
        return UsageError("unknown language " + QuotedText(*language) +
                          ": use german (de) or french (fr)");
    }
    if (folders.empty()) {
        return UsageError("no folder given");
    }
    result.Action = BatchAction::Convert;
    result.Folders = std::move(folders);
    result.Encoding = encoding;
    result.Recursive = recursive;
    result.Check = check;
    return result;
}

bool CheckFolders(const std::vector<fs::path>& folders, std::ostream& err) {
    bool allFolders = true;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        const fs::file_status status = fs::status(folder, ec);
        if (status.type() == fs::file_type::not_found) {
            err << kProgram << ": folder " << Quoted(folder) << " does not exist\n";
            allFolders = false;
        } else if (ec) {
            err << kProgram << ": folder " << Quoted(folder) << ": " << ec.message() << '\n';
            allFolders = false;
        } else if (!fs::is_directory(status)) {
            err << kProgram << ": " << Quoted(folder) << " is not a folder\n";
            allFolders = false;
        }
    }
    return allFolders;
}

std::string HelpText() {
    return "Usage: rz408-convert --language german|french FOLDER...\n"
           "       rz408-convert --check --language german|french FOLDER...\n"
           "\n"
           "Converts the game texts of each FOLDER for the RZ408 userpatch, as the\n"
           "convert button of rz408-textconverter does: every *.deu (german) or *.fra\n"
           "(french) file NAME.EXT gets a plain-ASCII copy NAME.txt beside it (the name\n"
           "cut behind its first dot), and the characters that became blanks are listed\n"
           "in konvertionsfehler.txt (german) or Erreurs_de_conversion..txt (french) in\n"
           "the same folder. Existing copies and logs are overwritten. Prints the number\n"
           "of converted files for each folder.\n"
           "\n"
           "A source saved as UTF-8 or UTF-16 is converted as the text it holds, as the\n"
           "same text in Windows-1252 would be, and named on standard error.\n"
           "\n"
           "  -l, --language LANG  german (de) or french (fr)\n"
           "      --encoding ENC   read every source as ENC: auto (the default: by its\n"
           "                       byte-order mark, or as UTF-8 when it is UTF-8 but for\n"
           "                       a few broken sequences, else as Windows-1252),\n"
           "                       windows-1252, utf-8, utf-16le or utf-16be\n"
           "  -r, --recursive      convert every folder below each FOLDER as well, each\n"
           "                       as if given by name (its own copies and log file);\n"
           "                       hidden folders and links to folders are not entered;\n"
           "                       each count line starts with the folder's path\n"
           "                       relative to FOLDER ('.' for FOLDER itself)\n"
           "      --sync           accepted for older scripts: every copy is on the disk\n"
           "                       before it replaces the old one anyway\n"
           "      --check          convert nothing and write nothing: list each character\n"
           "                       that would become a blank on standard output, one\n"
           "                       line each, as PATH:LINE:COLUMN: the character, its\n"
           "                       code and the log file's words; a character with no\n"
           "                       visible form as <U+XXXX>. Lines and columns count\n"
           "                       from 1, columns in characters; a line ends at a\n"
           "                       carriage return (a line feed behind it is part of\n"
           "                       that end), while a lone line feed stays in its line\n"
           "                       and takes a column, so a file with line feeds only\n"
           "                       is one line. A summary per folder on standard error\n"
           "  -h, --help           show this help\n"
           "  -V, --version        show the version and the license\n"
           "\n"
           "Exit status: 0 all files converted, 1 a file or folder failed (named on\n"
           "standard error; the other files are still converted), 2 bad arguments.\n"
           "With --check: 0 no character would become a blank, 3 some would, 1 a file\n"
           "or folder could not be read (wins over 3), 2 bad arguments.\n";
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const BatchArguments parsed = ParseArguments(args);
    switch (parsed.Action) {
    case BatchAction::Help:
        out << HelpText() << std::flush;
        return out ? kExitConverted : kExitFileFailed;
    case BatchAction::Version:
        out << kProgram << ' ' << RZ408_VERSION << '\n'
            << "License " RZ408_LICENSE ": GNU GPL version 3 or later "
               "<https://www.gnu.org/licenses/gpl-3.0.html>\n"
            << std::flush;
        return out ? kExitConverted : kExitFileFailed;
    case BatchAction::UsageError:
        err << kProgram << ": " << parsed.Error << '\n'
            << "Try 'rz408-convert --help' for more information.\n";
        return kExitUsage;
    case BatchAction::Convert:
        break;
    }
    if (!CheckFolders(parsed.Folders, err)) {
        err << "Nothing was converted. Try 'rz408-convert --help' for more information.\n";
        return kExitUsage;
    }
    if (parsed.Check) {
        return CheckSources(*parsed.Profile, parsed.Folders, parsed.Encoding, out, err,
                            parsed.Recursive);
    }
    Module1 m;
    RunOptions options;
    options.Encoding = parsed.Encoding;
    if (parsed.Recursive) {
        return ConvertFolderTrees(*parsed.Profile, parsed.Folders, m, out, err, options);
    }
    return ConvertFolders(*parsed.Profile, parsed.Folders, m, out, err, options);
}

} // namespace rz408
