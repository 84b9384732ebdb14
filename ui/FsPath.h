#pragma once

// Between Qt's texts and the file system's paths, without a round trip through the local
// code page: UTF-8 bytes on Linux, UTF-16 on Windows.

#include <QString>

#include <filesystem>
#include <string>
#include <type_traits>

namespace rz408 {

inline std::filesystem::path ToFsPath(const QString& text) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, char>) {
        const QByteArray bytes = text.toUtf8();
        return std::filesystem::path(std::string(bytes.constData(), bytes.size()));
    } else {
        return std::filesystem::path(text.toStdWString());
    }
}

inline QString FromFsPath(const std::filesystem::path& path) {
    const auto& native = path.native();
    if constexpr (std::is_same_v<std::filesystem::path::value_type, char>) {
        return QString::fromUtf8(native.data(), static_cast<qsizetype>(native.size()));
    } else {
        return QString::fromWCharArray(native.data(), static_cast<qsizetype>(native.size()));
    }
}

} // namespace rz408
