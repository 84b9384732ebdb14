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
    static std::intptr_t& Of(File& file) { return file.m_handle; }
    static std::intptr_t Of(const File& file) { return file.m_handle; }
    static std::intptr_t& Of(Folder& folder) { return folder.m_handle; }
    static std::intptr_t Of(const Folder& folder) { return folder.m_handle; }
    static std::filesystem::path& PathOf(Folder& folder) { return folder.m_path; }
    static const std::filesystem::path& PathOf(const Folder& folder) { return folder.m_path; }
    static std::error_code& ErrorOf(Folder& folder) { return folder.m_error; }
    static const std::error_code& ErrorOf(const Folder& folder) { return folder.m_error; }
    static std::uint32_t& UmaskOf(Folder& folder) { return folder.m_umask; }
    static std::uint32_t UmaskOf(const Folder& folder) { return folder.m_umask; }
};

} // namespace rz408::fileops
