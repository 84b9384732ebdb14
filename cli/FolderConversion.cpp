// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderConversion.h"

#include "FolderListing.h"
#include "SourceReading.h"

#include <exception>
#include <ostream>
#include <system_error>

namespace rz408 {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return "'" + std::string(utf8.begin(), utf8.end()) + "'";
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
    err << kProgram << ": " << Quoted(PathInFolder(folder, source.name)) << " read as "
        << EncodingName(source.encoding);
    if (source.brokenSequences != 0) {
        const bool one = source.brokenSequences == 1;
        err << ": " << source.brokenSequences
            << (one ? " invalid sequence " : " invalid sequences ")
            << (check ? "would become " : "became ") << (one ? "a blank" : "blanks");
    }
    err << '\n';
}

int ConvertFolders(const LanguageProfile& profile, const std::vector<fs::path>& folders, Module1& m,
                   std::ostream& out, std::ostream& err, const RunOptions& options) {
    int exitCode = kExitConverted;
    for (const fs::path& folder : folders) {
        try {
            InstallProgramTexts(profile, m);

            // A folder that cannot be listed is a failure, never an empty folder.
            std::error_code ec;
            const std::vector<std::string> names = ListFolder(folder, profile.FilePattern, ec);
            if (ec) {
                err << kProgram << ": folder " << Quoted(folder)
                    << " cannot be read: " << ec.message() << '\n';
                exitCode = kExitFileFailed;
                continue;
            }

            const RunReport report = ConversionRun(m, folder, names, options);
            out << CountMessageText(m, report) << '\n';

            for (const UnicodeSource& source : report.unicodeSources) {
                WriteUnicodeSource(err, folder, source);
            }

            if (!report.failures.empty()) {
                for (const FileFailure& failure : report.failures) {
                    const bool source = failure.kind == FileFailure::Kind::Source;
                    err << kProgram << ": " << Quoted(PathInFolder(folder, failure.name))
                        << (source ? " not converted: " : " not written: ") << failure.reason
                        << '\n';
                }
                err << kProgram << ": folder " << Quoted(folder) << ": converted "
                    << report.converted << " of " << names.size() << " files\n";
                exitCode = kExitFileFailed;
            }
        } catch (const std::exception& e) {
            err << kProgram << ": folder " << Quoted(folder) << ": " << e.what() << '\n';
            exitCode = kExitFileFailed;
        }
    }
    if (!FlushOutput(out, err, "the count messages")) {
        exitCode = kExitFileFailed;
    }
    return exitCode;
}

} // namespace rz408
