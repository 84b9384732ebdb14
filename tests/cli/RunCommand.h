// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Starting the built rz408-convert from a test, its output caught in files.

#include "TestFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace rz408::test {

struct CommandResult {
    int ExitCode = -1; // -1 when the command could not be started or did not exit normally
    std::string Out;   // standard output, lines ended by "\n"
    std::string Err;   // standard error, lines ended by "\n"
};

// What the command may read. Root reads every folder whatever its permission bits say; with
// WithoutReadOverride the command runs without that right, so that a folder made unreadable
// stays unreadable to it.
enum class Rights { AsStarted, WithoutReadOverride };

// Runs rz408-convert with ARGS (UTF-8); its output goes through files in a temporary folder
// of its own.
CommandResult RunCommand(const std::vector<std::string>& args, Rights rights = Rights::AsStarted);

// OPTIONS followed by ARGS, each "@NAME" of them replaced by the path of NAME in FOLDER (UTF-8).
inline std::vector<std::string> WithPaths(std::vector<std::string> options,
                                          const std::vector<std::string>& args,
                                          const std::filesystem::path& folder) {
    for (const std::string& arg : args) {
        options.push_back(arg.starts_with("@") ? Utf8(folder / arg.substr(1)) : arg);
    }
    return options;
}

// Why a folder whose permission bits forbid everything can still be read by the command run
// WithoutReadOverride here; "" when it cannot.
std::string WhyPermissionsDoNotApply();

} // namespace rz408::test
