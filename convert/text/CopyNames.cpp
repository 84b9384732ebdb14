// SPDX-License-Identifier: GPL-3.0-or-later
#include "CopyNames.h"

#include "Encoding.h"

namespace rz408 {

std::string TargetName(std::string_view source) {
    const std::size_t dot = source.find('.');
    std::string target(source.substr(0, dot == std::string_view::npos ? source.size() : dot + 1));
    target += "txt";
    return target;
}

std::string LogFileName(const Module1& m) {
    return Cp1252ToUtf8(m.LogBaseName) + ".txt";
}

} // namespace rz408
