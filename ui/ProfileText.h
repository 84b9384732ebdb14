// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The language profiles' UTF-8 texts as Qt text, with their "%1" and "%2" filled in.

#include <QString>

#include <string_view>

namespace rz408 {

// UTF-8 text (the language profiles' texts) as a QString.
QString Text(std::string_view utf8);

// TEXT with "%1" (and "%2") replaced in one pass by FIRST (and SECOND): a name that holds
// "%2" stays as it is.
QString Fill(std::string_view text, const QString& first);
QString Fill(std::string_view text, const QString& first, const QString& second);

} // namespace rz408
