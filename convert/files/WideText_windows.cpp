// SPDX-License-Identifier: GPL-3.0-or-later
#include "WideText.h"

#include "Win32.h"

namespace rz408 {

std::string WideToCodePage(std::wstring_view wide, unsigned codePage) {
    if (wide.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                              size, nullptr, nullptr);
    }
    return text;
}

std::string WideToUtf8(std::wstring_view wide) {
    return WideToCodePage(wide, CP_UTF8);
}

std::optional<std::string> NameToUtf8(std::wstring_view wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length,
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, text.data(), size,
                          nullptr, nullptr);
    return text;
}

} // namespace rz408
