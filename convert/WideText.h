#pragma once

// The UTF-16 text of the Windows calls as UTF-8. Built for Windows only (WideText_windows.cpp).

#include <string>
#include <string_view>

namespace rz408 {

// WIDE as UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

} // namespace rz408
