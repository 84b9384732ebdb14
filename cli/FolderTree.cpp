// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderTree.h"

#include "FolderConversion.h"
#include "FolderListing.h"

#include <algorithm>
#include <ostream>
#include <sstream>
#include <utility>

namespace rz408 {

namespace fs = std::filesystem;

std::vector<TreeFolder> FolderTree(const fs::path& root) {
    std::vector<TreeFolder> tree;
    // Folders still to be walked, the next one last; the relative paths as paths, so that they
    // take the system's separator.
    std::vector<std::pair<fs::path, fs::path>> pending{{root, fs::path()}};
    while (!pending.empty()) {
        auto [folder, relative] = std::move(pending.back());
        pending.pop_back();
        const std::vector<std::string> names = ListSubfolders(folder);
        for (auto name = names.rbegin(); name != names.rend(); ++name) {
            const fs::path inside = PathInFolder(fs::path(), *name);
            pending.emplace_back(folder / inside, relative / inside);
        }
        const std::u8string label = relative.empty() ? u8"." : relative.u8string();
        tree.push_back({std::move(folder), std::string(label.begin(), label.end())});
    }
    return tree;
}

int ConvertFolderTrees(const LanguageProfile& profile, const std::vector<fs::path>& roots,
                       Module1& m, std::ostream& out, std::ostream& err,
                       const RunOptions& options) {
    int exitCode = kExitConverted;
    for (const fs::path& root : roots) {
        for (const TreeFolder& folder : FolderTree(root)) {
            std::ostringstream count;
            exitCode =
                std::max(exitCode, ConvertFolders(profile, {folder.path}, m, count, err, options));
            if (!count.str().empty()) {
                out << folder.label << ": " << count.str();
            }
        }
    }
    out.flush();
    if (!out) {
        err << "rz408-convert: the count messages could not be written to standard output\n";
        exitCode = kExitFileFailed;
    }
    return exitCode;
}

} // namespace rz408
