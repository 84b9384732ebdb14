// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// --recursive: a folder and every folder below it, each converted as if it had been given by
// name.

#include "ConversionRun.h"
#include "Folder.h"
#include "LanguageProfile.h"
#include "Module1.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace rz408 {

// A folder of a walk over a folder tree.
struct TreeFolder {
    const fileops::Folder& Folder;     // open, or not, carrying the reason why it could not be
    const std::filesystem::path& Path; // the folder given, or a folder below it, joined to it
    const std::string& Label; // its path relative to the folder given (UTF-8); "." for that one
};

// Walks ROOT and every folder below it that ListSubfolders enters, each folder before the
// folders inside it, and those in ListSubfolders' order, calling VISIT for each folder that
// could be listed. ROOT is opened by its path (a link given by name is followed); every folder
// below is opened relative to the folder it was listed in, only when its turn comes, and never
// through a link (OpenSubfolder), and is held open while the folders inside it are walked. So the
// walk never leaves the tree, whatever is renamed or replaced meanwhile, and the length of the
// paths does not matter. What the walk cannot enter is named on ERR with the reason: a folder
// that cannot be opened or listed (also one replaced by a link after it was listed), and an entry
// that could be a folder but whose kind could not be read. Returns false when it named one.
bool WalkFolderTree(const std::filesystem::path& root, std::ostream& err,
                    const std::function<void(const TreeFolder&)>& visit);

// Converts the tree of every folder of ROOTS, one folder after the other, as ConvertFolders
// converts the folders given by name: each count message on OUT is preceded by the folder's
// label (ShownText) and ": ". Returns kExitConverted or kExitFileFailed.
int ConvertFolderTrees(const LanguageProfile& profile,
                       const std::vector<std::filesystem::path>& roots, Module1& m,
                       std::ostream& out, std::ostream& err, const RunOptions& options = {});

} // namespace rz408
