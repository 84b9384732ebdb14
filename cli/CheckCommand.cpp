// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckCommand.h"

#include "BlankCheck.h"
#include "FolderConversion.h"
#include "FolderListing.h"

#include <exception>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408 {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kOutputPiece = 64 * 1024;

std::string Utf8(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// "1 file", "2 files".
std::string Count(std::uint64_t n, std::string_view one, std::string_view more) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : more);
}

// The folder's summary: "checked 12 files, 3 characters in 2 files would become blanks".
void WriteSummary(std::ostream& err, const fs::path& folder, std::size_t listed,
                  const CheckReport& report) {
    err << kProgram << ": folder '" << Utf8(folder) << "': checked " << report.checked;
    if (report.checked != listed) {
        err << " of " << listed;
    }
    err << (listed == 1 ? " file, " : " files, ");
    if (report.blanks == 0) {
        err << "no character would become a blank\n";
    } else {
        err << Count(report.blanks, "character", "characters") << " in "
            << Count(report.withBlanks, "file", "files")
            << (report.blanks == 1 ? " would become a blank\n" : " would become blanks\n");
    }
}

} // namespace

int CheckSources(const LanguageProfile& profile, const std::vector<fs::path>& folders,
                 std::optional<SourceEncoding> encoding, std::ostream& out, std::ostream& err) {
    bool failed = false;
    bool found = false;
    Module1 m;
    InstallProgramTexts(profile, m);
    for (const fs::path& folder : folders) {
        try {
            std::error_code ec;
            const std::vector<std::string> names = ListFolder(folder, profile.FilePattern, ec);
            if (ec) {
                err << kProgram << ": folder '" << Utf8(folder)
                    << "' cannot be read: " << ec.message() << '\n';
                failed = true;
                continue;
            }
            std::string_view pathOf; // the source whose PATH is at hand
            std::string path;
            // The lines go out in large pieces: a standard output that writes each piece at once
            // (a console, or NUL on Windows) takes as long for a short one as for a long one.
            std::string lines;
            const CheckReport report =
                CheckRun(m, folder, names, encoding,
                         [&](std::string_view name, const BlankFinding& finding) {
                             if (name.data() != pathOf.data()) {
                                 pathOf = name;
                                 path = Utf8(PathInFolder(folder, name));
                             }
                             lines += path + ':' + std::to_string(finding.line) + ':' +
                                      std::to_string(finding.column) + ": " +
                                      FindingText(m, finding) + '\n';
                             if (lines.size() >= kOutputPiece) {
                                 out << lines;
                                 lines.clear();
                             }
                         });
            out << lines << std::flush;
            found = found || report.blanks != 0;
            for (const FileFailure& failure : report.failures) {
                const bool copyIsLog = failure.action == FileFailure::Action::CopyIsLog;
                err << kProgram << ": '" << Utf8(PathInFolder(folder, failure.name))
                    << (copyIsLog ? "' would not be converted: " : "' not checked: ")
                    << failure.reason << '\n';
                failed = true;
            }
            for (const UnicodeSource& source : report.unicodeSources) {
                WriteUnicodeSource(err, folder, source, true);
            }
            WriteSummary(err, folder, names.size(), report);
        } catch (const std::exception& e) {
            err << kProgram << ": folder '" << Utf8(folder) << "': " << e.what() << '\n';
            failed = true;
        }
    }
    if (!FlushOutput(out, err, "the findings")) {
        failed = true;
    }
    return failed ? kExitFileFailed : found ? kExitBlanksFound : kExitConverted;
}

} // namespace rz408
