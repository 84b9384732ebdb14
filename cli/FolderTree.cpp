// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderTree.h"

#include "FolderConversion.h"
#include "FolderListing.h"
#include "PathText.h"

#include <memory>
#include <ostream>
#include <sstream>
#include <utility>

namespace rz408 {

namespace fs = std::filesystem;

namespace {

// A folder of the walk, held open while the folders inside it are walked.
struct Level {
    fileops::Folder Folder;
    fs::path Path;
    fs::path Relative;                // as a path, so that it takes the system's separator
    std::vector<std::string> Pending; // the folders inside still to be walked, the next one last
};

} // namespace

bool WalkFolderTree(const fs::path& root, std::ostream& err,
                    const std::function<void(const TreeFolder&)>& visit) {
    bool named = false;
    std::vector<std::unique_ptr<Level>> levels;
    // Lists the folders inside LEVEL, visits it, and holds it for the folders inside.
    const auto enter = [&](std::unique_ptr<Level> level) {
        Subfolders inside = ListSubfolders(level->Folder);
        if (inside.Error) {
            WriteUnreadableFolder(err, level->Path, inside.Error);
            named = true;
            return;
        }
        for (const auto& [name, why] : inside.Unknown) {
            err << kProgram << ": " << Quoted(PathInFolder(level->Path, name))
                << ": cannot tell whether it is a folder: " << why.message() << '\n';
            named = true;
        }
        visit({level->Folder, level->Path,
               level->Relative.empty() ? std::string(".") : PathToUtf8(level->Relative)});
        level->Pending.assign(inside.Names.rbegin(), inside.Names.rend());
        levels.push_back(std::move(level));
    };

    auto top = std::make_unique<Level>();
    top->Path = root;
    fileops::OpenFolder(root, top->Folder);
    enter(std::move(top));
    while (!levels.empty()) {
        Level& parent = *levels.back();
        if (parent.Pending.empty()) {
            levels.pop_back();
            continue;
        }
        const std::string name = std::move(parent.Pending.back());
        parent.Pending.pop_back();
        auto level = std::make_unique<Level>();
        const fs::path inside = PathInFolder(fs::path(), name);
        level->Path = parent.Path / inside;
        level->Relative = parent.Relative / inside;
        // A folder that is no longer one (a link now) is not opened: its listing names it.
        fileops::OpenSubfolder(parent.Folder, name, level->Folder);
        enter(std::move(level));
    }
    return !named;
}

int ConvertFolderTrees(const LanguageProfile& profile, const std::vector<fs::path>& roots,
                       Module1& m, std::ostream& out, std::ostream& err,
                       const RunOptions& options) {
    int exitCode = kExitConverted;
    for (const fs::path& root : roots) {
        const bool whole = WalkFolderTree(root, err, [&](const TreeFolder& folder) {
            std::ostringstream count;
            if (ConvertFolder(profile, folder.Folder, folder.Path, m, count, err, options) !=
                kExitConverted) {
                exitCode = kExitFileFailed;
            }
            if (!count.str().empty()) {
                out << ShownText(folder.Label) << ": " << count.str();
            }
        });
        if (!whole) {
            exitCode = kExitFileFailed;
        }
    }
    if (!FlushOutput(out, err, "the count messages")) {
        exitCode = kExitFileFailed;
    }
    return exitCode;
}

} // namespace rz408
