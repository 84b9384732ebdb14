// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Win32 calls that the file operations on Windows share, for the _windows.cpp files of this
// folder alone: the wide-character (UTF-16) calls throughout, so that every file name the system
// holds can be read, listed and written, whatever the code page.

#include "FileOpsHandles.h"

#include "Win32.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408::fileops {

inline HANDLE Handle(const File& file) {
    return reinterpret_cast<HANDLE>(Handles::Of(file));
}

// A Win32 error code with its reason in words, as the system words it (in its own language), in
// UTF-8. It compares equal to the portable conditions (std::errc) as the standard library's
// system category maps them.
std::error_code Win32Error(DWORD code);
std::error_code LastError();

// The most bytes one ReadFile or WriteFile call moves (its count is 32 bits).
constexpr std::size_t kMostPerCall = 1u << 30;

// A name of the folder as UTF-16, when it is one name of a folder.
std::error_code WideName(std::string_view name, std::wstring& wide);

// The path of NAME in the open FOLDER.
std::error_code PathIn(const Folder& folder, std::string_view name, std::wstring& path);

// Closes FILE, reporting what closing found.
std::error_code CloseHandleOf(File& file);

// True for a reparse point that stands for another entry (a symbolic link, a junction), and for
// one that tells no tag (Wine's view of a Unix link). Others are real files and folders with
// data elsewhere: a folder of a cloud drive whose files come on demand.
inline bool IsLinkTag(DWORD tag) {
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

} // namespace rz408::fileops
