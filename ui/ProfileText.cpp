// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProfileText.h"

namespace rz408 {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Fill(std::string_view text, const QString& first) {
    return Text(text).arg(first);
}

QString Fill(std::string_view text, const QString& first, const QString& second) {
    return Text(text).arg(first, second);
}

} // namespace rz408
