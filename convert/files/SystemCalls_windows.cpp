// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemCalls_windows.h"
#include "FileErrors.h"
#include "PathText.h"
#include "WideText.h"

#include <filesystem>

namespace rz408::fileops {

namespace {

// The category of Win32Error.
class Win32Category : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::wstring wide = length != 0 ? std::wstring(text, length) : std::wstring();
        if (text != nullptr) {
            ::LocalFree(text);
        }
        // "The process cannot access the file ... process.\r\n": without the full stop and
        // line end, as the reasons of the other systems read.
        while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' ||
                                 wide.back() == L' ' || wide.back() == L'.')) {
            wide.pop_back();
        }
        if (wide.empty()) {
            return "system error " + std::to_string(code);
        }
        return WideToUtf8(wide);
    }

    std::error_condition default_error_condition(int code) const noexcept override {
        return std::system_category().default_error_condition(code);
    }
};

const std::error_category& Win32() {
    static const Win32Category kCategory;
    return kCategory;
}

} // namespace

std::error_code Win32Error(DWORD code) {
    return {static_cast<int>(code), Win32()};
}

std::error_code LastError() {
    return Win32Error(::GetLastError());
}

std::error_code WideName(std::string_view name, std::wstring& wide) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\\:\0", 4)) != std::string_view::npos) {
        return NotAFileName();
    }
    try {
        wide = Utf8ToPath(name).wstring();
    } catch (const std::exception&) {
        return NotAFileName(); // not UTF-8
    }
    return {};
}

// The path of NAME in the open FOLDER.
std::error_code PathIn(const Folder& folder, std::string_view name, std::wstring& path) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::wstring wide;
    if (auto error = WideName(name, wide)) {
        return error;
    }
    path = (Handles::PathOf(folder) / wide).wstring();
    return {};
}

std::error_code CloseHandleOf(File& file) {
    const HANDLE handle = Handle(file);
    Handles::Of(file) = File::kNoHandle;
    if (!::CloseHandle(handle)) {
        return LastError();
    }
    return {};
}

} // namespace rz408::fileops
