// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The system handles inside File and Folder, for the file operations of each system
// (the Name_linux.cpp and Name_windows.cpp files of this folder) alone.

#include "Folder.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace rz408::fileops {

struct Handles {
    static std::intptr_t& Of(File& file) { return file.handle_; }
    static std::intptr_t Of(const File& file) { return file.handle_; }
    static std::intptr_t& Of(Folder& folder) { return folder.handle_; }
    static std::intptr_t Of(const Folder& folder) { return folder.handle_; }
    static std::filesystem::path& PathOf(Folder& folder) { return folder.path_; }
    static const std::filesystem::path& PathOf(const Folder& folder) { return folder.path_; }
    static std::error_code& ErrorOf(Folder& folder) { return folder.error_; }
    static const std::error_code& ErrorOf(const Folder& folder) { return folder.error_; }
    static std::uint32_t& UmaskOf(Folder& folder) { return folder.umask_; }
    static std::uint32_t UmaskOf(const Folder& folder) { return folder.umask_; }
};

} // namespace rz408::fileops
