// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The UTF-16 text of the Windows calls as UTF-8 or in a code page. Built for Windows only
// (WideText_windows.cpp).

#include <optional>
#include <string>
#include <string_view>

namespace rz408 {

// WIDE in the single- or multi-byte code page CODE_PAGE ('?' where a single-byte code page lacks
// a character).
std::string WideToCodePage(std::wstring_view wide, unsigned codePage);

// WIDE as UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// The file name WIDE as UTF-8, or nothing when it holds a lone surrogate: such a name has no
// UTF-8 form, and could not be opened again by one.
std::optional<std::string> NameToUtf8(std::wstring_view wide);

} // namespace rz408
