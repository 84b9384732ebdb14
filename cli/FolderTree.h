// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// --recursive: a folder and every folder below it, each converted as if it had been given by
// name.

#include "Conversion.h"
#include "LanguageProfile.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace rz408 {

struct TreeFolder {
    std::filesystem::path path; // the folder given, or a folder below it, joined to it
    std::string label;          // its path relative to the folder given (UTF-8); "." for that one
};

// ROOT and every folder below it that ListSubfolders enters, each folder before the folders inside
// it, and those in ListSubfolders' order. A folder that cannot be read is in the tree (its
// conversion reports it), but nothing below it is.
std::vector<TreeFolder> FolderTree(const std::filesystem::path& root);

// Converts the tree of every folder of ROOTS, one folder after the other, as ConvertFolders
// converts the folders given by name: each count message on OUT is preceded by the folder's
// label and ": ". Returns kExitConverted or kExitFileFailed.
int ConvertFolderTrees(const LanguageProfile& profile,
                       const std::vector<std::filesystem::path>& roots, Module1& m,
                       std::ostream& out, std::ostream& err, const RunOptions& options = {});

} // namespace rz408
