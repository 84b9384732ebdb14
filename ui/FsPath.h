// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Between Qt's texts and the file system's paths, without a round trip through the local
// code page: UTF-8 bytes on Linux, UTF-16 on Windows. The overload that matches the
// platform's native path string is the one in use.

#include <QString>

#include <filesystem>
#include <string>

namespace rz408 {

namespace fspath_detail {

inline QString FromNative(const std::string& native) {
    return QString::fromUtf8(native.data(), static_cast<qsizetype>(native.size()));
}

inline QString FromNative(const std::wstring& native) {
    return QString::fromStdWString(native);
}

inline void ToNative(const QString& text, std::string& native) {
    const QByteArray bytes = text.toUtf8();
    native.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline void ToNative(const QString& text, std::wstring& native) {
    native = text.toStdWString();
}

} // namespace fspath_detail

inline std::filesystem::path ToFsPath(const QString& text) {
    std::filesystem::path::string_type native;
    fspath_detail::ToNative(text, native);
    return std::filesystem::path(std::move(native));
}

inline QString FromFsPath(const std::filesystem::path& path) {
    return fspath_detail::FromNative(path.native());
}

} // namespace rz408
