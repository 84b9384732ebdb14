// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252 for the log file, UTF-8 for everything the program shows.

#include "Encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace rz408 {
namespace {

TEST(Utf8ToCp1252, Rows) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", ""},
        {"plain ASCII ~`", "plain ASCII ~`"},
        {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         "Gr\xFC\xDF"
         "e"},
        {"\xC3\x80 \xC3\xBF \xC2\xA0", "\xC0 \xFF \xA0"},
        {"\xE2\x82\xAC", "\x80"},                 // euro sign
        {"\xE2\x80\x98\xE2\x80\x99", "\x91\x92"}, // typographic quotes
        {"\xE2\x80\x93\xE2\x80\xA6", "\x96\x85"}, // en dash, ellipsis
        {"\xC5\xB8\xC5\xBD", "\x9F\x8E"},         // Y and Z with diacritics
        {"\xC4\x80", "?"},                        // A with macron: not in Windows-1252
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},       // two CJK characters
        {"\xF0\x9F\x98\x80!", "?!"},              // an emoji
        {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", "\x81\x8D\x8F\x90\x9D"}, // the five gaps
        {"\xC2\x80", "?"},            // C1 control whose code is the euro's
        {"\xFF", "?"},                // not UTF-8 at all
        {"a\xC3", "a?"},              // cut short at the end
        {"\xE2\x82x", "??x"},         // cut short inside
        {"\xC0\xAF", "??"},           // overlong slash
        {"\xE0\x80\xAF", "???"},      // overlong slash, three bytes
        {"\xED\xA0\x80", "???"},      // a surrogate
        {"\xF4\x90\x80\x80", "????"}, // beyond U+10FFFF
        {"\x80x", "?x"},              // stray continuation byte
        {"\xFC.deu", "?.deu"},        // a Latin-1 file name on Linux
    };
    for (const auto& [utf8, cp1252] : rows) {
        SCOPED_TRACE(testing::PrintToString(utf8));
        EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
    }
}

TEST(Cp1252ToUtf8, Rows) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", ""},
        {"abc", "abc"},
        {"\xE4\xF6\xFC\xDF", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"},
        {"\x80", "\xE2\x82\xAC"},
        {"\x96\x97", "\xE2\x80\x93\xE2\x80\x94"},
        {"\x99", "\xE2\x84\xA2"},
        {"\x81\x9D", "\xC2\x81\xC2\x9D"},
        {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
        {"Erreurs_de_conversion.", "Erreurs_de_conversion."},
    };
    for (const auto& [cp1252, utf8] : rows) {
        SCOPED_TRACE(testing::PrintToString(cp1252));
        EXPECT_EQ(Cp1252ToUtf8(cp1252), utf8);
    }
}

TEST(Encoding, EveryCodeGoesThereAndBack) {
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const std::string byte(1, static_cast<char>(code));
        const std::string utf8 = Cp1252ToUtf8(byte);
        EXPECT_EQ(utf8.size() == 1, code < 128);
        EXPECT_EQ(Utf8ToCp1252(utf8), byte);
    }
}

} // namespace
} // namespace rz408
