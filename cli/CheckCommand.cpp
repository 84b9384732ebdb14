// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckCommand.h"

#include "BlankCheck.h"
#include "FolderConversion.h"
#include "FolderListing.h"
#include "FolderTree.h"

#include <exception>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408 {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kOutputPiece = 64 * 1024;

// "1 file", "2 files".
std::string Count(std::uint64_t n, std::string_view one, std::string_view more) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : more);
}

// The folder's summary: "checked 12 files, 3 characters in 2 files would become blanks".
void WriteSummary(std::ostream& err, const fs::path& folder, std::size_t listed,
                  const CheckReport& report) {
    err << kProgram << ": folder " << Quoted(folder) << ": checked " << report.Checked;
    if (report.Checked != listed) {
        err << " of " << listed;
    }
    err << (listed == 1 ? " file, " : " files, ");
    if (report.Blanks == 0) {
        err << "no character would become a blank\n";
    } else {
        err << Count(report.Blanks, "character", "characters") << " in "
            << Count(report.WithBlanks, "file", "files")
            << (report.Blanks == 1 ? " would become a blank\n" : " would become blanks\n");
    }
}

// What the check found so far.
struct CheckState {
    bool Failed = false;
    bool Found = false;
};

// Checks the sources of the open FOLDER, shown by its PATH (a folder that is not open is named
// as one that cannot be read).
void CheckFolder(const Module1& m, const LanguageProfile& profile, const fileops::Folder& folder,
                 const fs::path& path, std::optional<SourceEncoding> encoding, std::ostream& out,
                 std::ostream& err, CheckState& state) {
    try {
        std::error_code ec;
        const std::vector<std::string> names = ListFolder(folder, profile.FilePattern, ec);
        if (ec) {
            WriteUnreadableFolder(err, path, ec);
            state.Failed = true;
            return;
        }
        std::string_view pathOf; // the source whose PATH is at hand
        std::string shown;
        // The lines go out in large pieces: a standard output that writes each piece at once
        // (a console, or NUL on Windows) takes as long for a short one as for a long one.
        std::string lines;
        const CheckReport report = CheckRun(
            m, folder, names, encoding, [&](std::string_view name, const BlankFinding& finding) {
                if (name.data() != pathOf.data()) {
                    pathOf = name;
                    shown = Shown(PathInFolder(path, name));
                }
                lines += shown + ':' + std::to_string(finding.Line) + ':' +
                         std::to_string(finding.Column) + ": " + FindingText(m, finding) + '\n';
                if (lines.size() >= kOutputPiece) {
                    out << lines;
                    lines.clear();
                }
            });
        out << lines << std::flush;
        state.Found = state.Found || report.Blanks != 0;
        for (const FileFailure& failure : report.Failures) {
            const bool copyIsLog = failure.Step == FileFailure::Action::CopyIsLog;
            err << kProgram << ": " << Quoted(PathInFolder(path, failure.Name))
                << (copyIsLog ? " would not be converted: " : " not checked: ")
                << ShownText(failure.Reason) << '\n';
            state.Failed = true;
        }
        for (const UnicodeSource& source : report.UnicodeSources) {
            WriteUnicodeSource(err, path, source, true);
        }
        WriteSummary(err, path, names.size(), report);
    } catch (const std::exception& e) {
        err << kProgram << ": folder " << Quoted(path) << ": " << ShownText(e.what()) << '\n';
        state.Failed = true;
    }
}

} // namespace

int CheckSources(const LanguageProfile& profile, const std::vector<fs::path>& folders,
                 std::optional<SourceEncoding> encoding, std::ostream& out, std::ostream& err,
                 bool recursive) {
    CheckState state;
    Module1 m;
    InstallProgramTexts(profile, m);
    for (const fs::path& path : folders) {
        if (recursive) {
            state.Failed |= !WalkFolderTree(path, err, [&](const TreeFolder& folder) {
                CheckFolder(m, profile, folder.Folder, folder.Path, encoding, out, err, state);
            });
            continue;
        }
        fileops::Folder folder;
        fileops::OpenFolder(path, folder);
        CheckFolder(m, profile, folder, path, encoding, out, err, state);
    }
    if (!FlushOutput(out, err, "the findings")) {
        state.Failed = true;
    }
    return state.Failed ? kExitFileFailed : state.Found ? kExitBlanksFound : kExitConverted;
}

} // namespace rz408
