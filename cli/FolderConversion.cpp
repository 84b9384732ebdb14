// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderConversion.h"

#include "FolderListing.h"
#include "PathText.h"
#include "SourceDecoding.h"
#include "Unicode.h"

#include <exception>
#include <ostream>
#include <system_error>

namespace rz408 {

namespace fs = std::filesystem;

namespace {

// Appends the byte CODE as the shell's $'...' writes it: by its letter where it has one, else as
// three octal digits.
void AppendEscaped(std::string& out, unsigned char code) {
    constexpr char kLetters[] = "abtnvfr"; // the codes 7 to 13
    out += '\\';
    if (code >= 7 && code <= 13) {
        out += kLetters[code - 7];
        return;
    }
    out += static_cast<char>('0' + (code >> 6));
    out += static_cast<char>('0' + ((code >> 3) & 7));
    out += static_cast<char>('0' + (code & 7));
}

// TEXT as the shell would take it back: the runs of characters that stay as they are, in single
// quotes when QUOTED, and the others as $'...'.
std::string ShownInPieces(std::string_view text, bool quoted) {
    std::string out;
    bool inPlain = false;   // within '...'
    bool inEscaped = false; // within $'...'
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Sequence sequence = DecodeUtf8Sequence(bytes + i, text.size() - i);
        const bool complete = sequence.Found == Utf8Sequence::Kind::Complete;
        const std::size_t length = complete ? sequence.Length : 1;
        const char32_t c = sequence.C;
        if (complete && c >= 0x20 && c != 0x7F && (c < 0x80 || c > 0x9F)) {
            if (inEscaped) {
                out += '\'';
                inEscaped = false;
            }
            if (quoted && !inPlain) {
                out += '\'';
                inPlain = true;
            }
            out.append(text.substr(i, length));
        } else {
            if (inPlain) {
                out += '\'';
                inPlain = false;
            }
            if (!inEscaped) {
                out += "$'";
                inEscaped = true;
            }
            for (std::size_t k = 0; k < length; ++k) {
                AppendEscaped(out, bytes[i + k]);
            }
        }
        i += length;
    }
    if (inPlain || inEscaped) {
        out += '\'';
    }
    return quoted && out.empty() ? "''" : out;
}

} // namespace

std::string ShownText(std::string_view text) {
    return ShownInPieces(text, false);
}

std::string Shown(const fs::path& path) {
    return ShownText(PathToUtf8(path));
}

std::string QuotedText(std::string_view text) {
    return ShownInPieces(text, true);
}

std::string Quoted(const fs::path& path) {
    return QuotedText(PathToUtf8(path));
}

void WriteUnreadableFolder(std::ostream& err, const fs::path& path, const std::error_code& reason) {
    err << kProgram << ": folder " << Quoted(path) << " cannot be read: " << reason.message()
        << '\n';
}

bool FlushOutput(std::ostream& out, std::ostream& err, std::string_view what) {
    out.flush();
    if (!out) {
        err << kProgram << ": " << what << " could not be written to standard output\n";
        return false;
    }
    return true;
}

void WriteUnicodeSource(std::ostream& err, const fs::path& folder, const UnicodeSource& source,
                        bool check) {
    err << kProgram << ": " << Quoted(PathInFolder(folder, source.Name)) << " read as "
        << EncodingName(source.Encoding);
    if (source.BrokenSequences != 0) {
        const bool one = source.BrokenSequences == 1;
        err << ": " << source.BrokenSequences
            << (one ? " invalid sequence " : " invalid sequences ")
            << (check ? "would become " : "became ") << (one ? "a blank" : "blanks");
    }
    err << '\n';
}

int ConvertFolder(const LanguageProfile& profile, const fileops::Folder& folder,
                  const fs::path& path, Module1& m, std::ostream& out, std::ostream& err,
                  const RunOptions& options) {
    try {
        InstallProgramTexts(profile, m);

        // A folder that cannot be listed is a failure, never an empty folder.
        std::error_code ec;
        const std::vector<std::string> names = ListFolder(folder, profile.FilePattern, ec);
        if (ec) {
            WriteUnreadableFolder(err, path, ec);
            return kExitFileFailed;
        }

        const RunReport report = ConversionRun(m, folder, names, options);
        out << CountMessageText(m, report) << '\n';

        for (const UnicodeSource& source : report.UnicodeSources) {
            WriteUnicodeSource(err, path, source);
        }
        if (report.Failures.empty()) {
            return kExitConverted;
        }
        for (const FileFailure& failure : report.Failures) {
            const bool source = failure.What == FileFailure::Kind::Source;
            err << kProgram << ": " << Quoted(PathInFolder(path, failure.Name))
                << (source ? " not converted: " : " not written: ") << ShownText(failure.Reason)
                << '\n';
        }
        err << kProgram << ": folder " << Quoted(path) << ": converted " << report.Converted
            << " of " << names.size() << " files\n";
    } catch (const std::exception& e) {
        err << kProgram << ": folder " << Quoted(path) << ": " << ShownText(e.what()) << '\n';
    }
    return kExitFileFailed;
}

int ConvertFolders(const LanguageProfile& profile, const std::vector<fs::path>& folders, Module1& m,
                   std::ostream& out, std::ostream& err, const RunOptions& options) {
    int exitCode = kExitConverted;
    for (const fs::path& path : folders) {
        try {
            fileops::Folder folder;
            fileops::OpenFolder(path, folder);
            if (ConvertFolder(profile, folder, path, m, out, err, options) != kExitConverted) {
                exitCode = kExitFileFailed;
            }
        } catch (const std::exception& e) {
            err << kProgram << ": folder " << Quoted(path) << ": " << ShownText(e.what()) << '\n';
            exitCode = kExitFileFailed;
        }
    }
    if (!FlushOutput(out, err, "the count messages")) {
        exitCode = kExitFileFailed;
    }
    return exitCode;
}

} // namespace rz408
