// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriveSystem.h"

#include "Encoding.h"

namespace rz408 {

std::string DriveQueryText(std::string_view driveText) {
    std::string text(driveText);
    text += '\\';
    return Utf8ToCp1252(text);
}

bool DriveCheckAccepts(DriveSystem& drives, std::string_view driveText) {
    return drives.GetDriveTypeA(DriveQueryText(driveText)) == DriveType::NoRootDir;
}

char DriveLetterOf(std::string_view text) {
    if (text.empty()) {
        return '\0';
    }
    const char c = text.front();
    if (c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    if (c >= 'a' && c <= 'z') {
        return c;
    }
    return '\0';
}

bool IsDriveText(std::string_view text) {
    return DriveLetterOf(text) != '\0' && text.size() >= 2 && text[1] == ':' &&
           (text.size() == 2 || text[2] == ' ');
}

} // namespace rz408
