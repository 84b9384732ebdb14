// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Paths and file names as the UTF-8 text the program works with, and back. On Linux the bytes
// stay as they are; on Windows UTF-16 becomes UTF-8 and back (text that is not valid in one of
// them throws, as std::filesystem does).

#include <filesystem>
#include <string>
#include <string_view>

namespace rz408 {

std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path Utf8ToPath(std::string_view utf8);

} // namespace rz408
