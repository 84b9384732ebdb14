#include "Encoding.h"

#include <array>
#include <cstdint>

namespace rz408 {

namespace {

// The characters of codes 128 to 159; 0 marks the five codes Windows-1252 leaves undefined.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80-0x87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 0x88-0x8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90-0x97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 0x98-0x9F
};

char32_t CharOfCode(unsigned char code) {
    if (code < 0x80 || code >= 0xA0) {
        return code;
    }
    const char32_t c = kHighControls[code - 0x80];
    return c != 0 ? c : code;
}

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

// Decodes the UTF-8 character at S[I]. Returns its length, or 0 when the bytes there are not
// valid UTF-8 (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    return length;
}

char EncodeCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (unsigned k = 0; k < kHighControls.size(); ++k) {
        const char32_t defined = kHighControls[k];
        if (defined == c || (defined == 0 && c == 0x80 + k)) {
            return static_cast<char>(0x80 + k);
        }
    }
    return '?';
}

} // namespace

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(utf8, i, c);
        if (length == 0) {
            out += '?';
            ++i;
        } else {
            out += EncodeCp1252(c);
            i += length;
        }
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 2);
    for (const char ch : cp1252) {
        AppendUtf8(out, CharOfCode(static_cast<unsigned char>(ch)));
    }
    return out;
}

} // namespace rz408
