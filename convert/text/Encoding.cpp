// SPDX-License-Identifier: GPL-3.0-or-later
#include "Encoding.h"

#include "Unicode.h"

#include <cstdint>

namespace rz408 {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* const bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Sequence sequence = DecodeUtf8Sequence(bytes + i, utf8.size() - i);
        if (sequence.Found != Utf8Sequence::Kind::Complete) {
            out += '?'; // every byte of a broken sequence
            ++i;
        } else {
            const int code = Cp1252Code(sequence.C);
            out += code >= 0 ? static_cast<char>(code) : '?';
            i += sequence.Length;
        }
    }
    return out;
}

std::string NameToCp1252(std::string_view utf8) {
    std::string out = Utf8ToCp1252(utf8);
    for (char& ch : out) {
        const auto code = static_cast<unsigned char>(ch);
        // The five C1 codes that Windows-1252 leaves undefined stand for themselves.
        const bool c1 =
            code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
        if (code < 0x20 || code == 0x7F || c1) {
            ch = '?';
        }
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 2);
    for (const char ch : cp1252) {
        AppendUtf8(out, CharOfCp1252(static_cast<unsigned char>(ch)));
    }
    return out;
}

} // namespace rz408
