// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unicode.h"

#include "ByteScan.h"

#include <array>
#include <cstring>

namespace rz408 {

namespace {

// The characters of codes 128 to 159; 0 marks the five codes Windows-1252 leaves undefined.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80-0x87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 0x88-0x8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90-0x97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 0x98-0x9F
};

// The codes of the characters from U+2000 to U+21FF (typographic quotes, dashes, the
// ellipsis, the euro sign, ...), 0 for those Windows-1252 lacks: game texts are full of them.
constexpr std::array<unsigned char, 0x200> kPunctuationCodes = [] {
    std::array<unsigned char, 0x200> codes{};
    for (unsigned k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] >= 0x2000 && kHighControls[k] < 0x2200) {
            codes[kHighControls[k] - 0x2000] = static_cast<unsigned char>(0x80 + k);
        }
    }
    return codes;
}();

// The sequences of two bytes, and of three without a narrower second byte (U+1000 to U+CFFF,
// typographic punctuation among them): most of what a text in a European language holds beyond
// ASCII, decoded here at once; LENGTH 0 for every other sequence.
inline std::size_t DecodeCommon(const unsigned char* p, std::size_t size, char32_t& c) {
    const unsigned lead = p[0];
    if (lead >= 0xC2 && lead <= 0xDF && size >= 2 && (p[1] & 0xC0) == 0x80) {
        c = ((lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE1 && lead <= 0xEC && size >= 3 && (p[1] & 0xC0) == 0x80 &&
        (p[2] & 0xC0) == 0x80) {
        c = ((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    return 0;
}

} // namespace

// Walks the UTF-8 of BYTES, for the decoder and the detector alike. A sequence begun earlier
// waits in PENDING (PENDING_SIZE bytes); an incomplete one at the end is left there. ASCII(at,
// size) takes the bytes below 128 at AT (as many as it has room for; 0 stops the walk) and
// returns how many; CHARACTER(sequence) takes each other sequence, complete or broken, and
// returns false to stop the walk.
template <typename Ascii, typename Character>
void WalkUtf8(std::string_view bytes, unsigned char (&pending)[4], std::size_t& pendingSize,
              Ascii ascii, Character character) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    // The bytes waiting begin a valid sequence, so a broken one ends at the byte just added at
    // the latest: that byte is walked anew.
    while (pendingSize > 0 && p < end) {
        pending[pendingSize++] = *p++;
        const Utf8Sequence sequence = DecodeUtf8Sequence(pending, pendingSize);
        if (sequence.Found == Utf8Sequence::Kind::Incomplete) {
            continue;
        }
        p -= pendingSize - sequence.Length;
        pendingSize = 0;
        if (!character(sequence)) {
            return;
        }
    }
    while (p < end) {
        const auto size = static_cast<std::size_t>(end - p);
        if (*p < 0x80) {
            const std::size_t taken = ascii(p, size);
            if (taken == 0) {
                return;
            }
            p += taken;
            continue;
        }
        char32_t c = 0;
        const std::size_t common = DecodeCommon(p, size, c);
        const Utf8Sequence sequence = common != 0
                                          ? Utf8Sequence{Utf8Sequence::Kind::Complete, common, c}
                                          : DecodeUtf8Sequence(p, size);
        if (sequence.Found == Utf8Sequence::Kind::Incomplete) {
            std::memcpy(pending, p, sequence.Length);
            pendingSize = sequence.Length;
            return;
        }
        p += sequence.Length;
        if (!character(sequence)) {
            return;
        }
    }
}

int Cp1252Code(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<int>(c);
    }
    if (c >= 0x2000 && c < 0x2200) {
        const int code = kPunctuationCodes[c - 0x2000];
        return code != 0 ? code : -1;
    }
    if (c < 0xA0) {
        return kHighControls[c - 0x80] == 0 ? static_cast<int>(c) : -1;
    }
    if (c > 0x02DC) { // the last of the letters and accents below U+2000 (small tilde)
        return -1;
    }
    for (unsigned k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] == c) {
            return static_cast<int>(0x80 + k);
        }
    }
    return -1;
}

char32_t CharOfCp1252(unsigned char code) {
    if (code < 0x80 || code >= 0xA0) {
        return code;
    }
    const char32_t c = kHighControls[code - 0x80];
    return c != 0 ? c : code;
}

Utf8Sequence DecodeUtf8Sequence(const unsigned char* p, std::size_t size) {
    using Kind = Utf8Sequence::Kind;
    const unsigned lead = p[0];
    if (lead < 0x80) {
        return {Kind::Complete, 1, lead};
    }
    std::size_t length = 0;
    char32_t c = 0;
    // The range of the second byte; the later ones are 80 to BF. The narrower ranges keep out
    // overlong forms (E0, F0), surrogates (ED) and what lies beyond U+10FFFF (F4).
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return {Kind::Broken, 1, kReplacementCharacter};
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (k == size) {
            return {Kind::Incomplete, size, kReplacementCharacter};
        }
        const unsigned next = p[k];
        if (next < low || next > high) {
            return {Kind::Broken, k, kReplacementCharacter};
        }
        c = (c << 6) | (next & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {Kind::Complete, length, c};
}

std::size_t TextSink::TextBelow128(std::string_view bytes, std::error_code& error) {
    const std::size_t run = AsciiRun(bytes.data(), bytes.size());
    error = run == 0 ? std::error_code() : Text(bytes.substr(0, run));
    return run;
}

std::error_code TextSink::Restart() {
    return std::make_error_code(std::errc::operation_not_supported);
}

// --- Decoded text ------------------------------------------------------------------------

std::error_code DecodedText::Put(char32_t c, bool broken, TextSink& sink) {
    if (broken) {
        ++m_broken;
        c = kReplacementCharacter;
    } else if (const int code = Cp1252Code(c); code >= 0) {
        if (m_used == m_text.size()) {
            if (auto error = Flush(sink)) {
                return error;
            }
        }
        m_text[m_used++] = static_cast<char>(code);
        return {};
    }
    if (auto error = Flush(sink)) {
        return error;
    }
    return sink.Other(c, broken);
}

std::error_code DecodedText::Flush(TextSink& sink) {
    const std::size_t size = m_used;
    m_used = 0;
    return size == 0 ? std::error_code() : sink.Text(std::string_view(m_text.data(), size));
}

// --- UTF-8 -------------------------------------------------------------------------------

void Utf8Decoder::Reset() {
    m_text.Reset();
    m_pendingSize = 0;
}

std::error_code Utf8Decoder::Feed(std::string_view bytes, TextSink& sink, Utf8Detector* counter) {
    std::error_code error;
    WalkUtf8(
        bytes, m_pending, m_pendingSize,
        [&](const unsigned char* at, std::size_t size) -> std::size_t {
            if (m_text.Room() == 0 && (error = m_text.Flush(sink))) {
                return 0;
            }
            const std::size_t run = CopyAscii(reinterpret_cast<const char*>(at), m_text.At(),
                                              std::min(size, m_text.Room()));
            m_text.Wrote(run);
            return run;
        },
        [&](const Utf8Sequence& sequence) {
            const bool broken = sequence.Found == Utf8Sequence::Kind::Broken;
            if (counter != nullptr) {
                counter->Count(broken);
            }
            error = m_text.Put(sequence.C, broken, sink);
            return !error;
        });
    return error ? error : m_text.Flush(sink);
}

std::error_code Utf8Decoder::Finish(TextSink& sink, Utf8Detector* counter) {
    if (m_pendingSize == 0) {
        return {};
    }
    m_pendingSize = 0;
    if (counter != nullptr) {
        counter->Count(true);
    }
    return m_text.Put(kReplacementCharacter, true, sink);
}

void Utf8Detector::Reset() {
    m_pendingSize = 0;
    m_valid = 0;
    m_broken = 0;
    m_possible = true;
}

void Utf8Detector::Count(bool broken) {
    if (!m_possible) {
        return;
    }
    if (!broken) {
        ++m_valid;
        return;
    }
    ++m_broken;
    m_possible = m_broken < kFewBroken || m_valid >= kValidPerBroken * m_broken;
}

bool Utf8Detector::Feed(std::string_view bytes) {
    if (m_possible) {
        WalkUtf8(
            bytes, m_pending, m_pendingSize,
            [](const unsigned char* at, std::size_t size) {
                return AsciiRun(reinterpret_cast<const char*>(at), size);
            },
            [this](const Utf8Sequence& sequence) {
                Count(sequence.Found == Utf8Sequence::Kind::Broken);
                return m_possible;
            });
    }
    return m_possible;
}

bool Utf8Detector::Finish() {
    if (m_possible && m_pendingSize != 0) {
        Count(true);
    }
    m_pendingSize = 0;
    return m_possible && m_valid != 0 && m_valid >= kValidPerBroken * m_broken;
}

// --- UTF-16 ------------------------------------------------------------------------------

void Utf16Decoder::Reset(bool bigEndian) {
    m_text.Reset();
    m_bigEndian = bigEndian;
    m_haveByte = false;
    m_high = 0;
}

std::error_code Utf16Decoder::Unit(char16_t unit, TextSink& sink) {
    const bool isHigh = unit >= 0xD800 && unit <= 0xDBFF;
    const bool isLow = unit >= 0xDC00 && unit <= 0xDFFF;
    if (m_high != 0) {
        const char16_t high = m_high;
        m_high = 0;
        if (isLow) {
            return m_text.Put(0x10000 + ((char32_t{high} - 0xD800) << 10) +
                                  (char32_t{unit} - 0xDC00),
                              false, sink);
        }
        // A high surrogate without its low one: broken; the unit behind it counts on its own.
        if (auto error = m_text.Put(kReplacementCharacter, true, sink)) {
            return error;
        }
    }
    if (isHigh) {
        m_high = unit;
        return {};
    }
    return m_text.Put(unit, isLow, sink);
}

std::error_code Utf16Decoder::Feed(std::string_view bytes, TextSink& sink) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    const auto unitAt = [this](unsigned char first, unsigned char second) {
        return static_cast<char16_t>(m_bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    if (m_haveByte && p < end) {
        m_haveByte = false;
        if (auto error = Unit(unitAt(m_byte, *p++), sink)) {
            return error;
        }
    }
    for (; end - p >= 2; p += 2) {
        if (auto error = Unit(unitAt(p[0], p[1]), sink)) {
            return error;
        }
    }
    if (p < end) {
        m_haveByte = true;
        m_byte = *p;
    }
    return m_text.Flush(sink);
}

std::error_code Utf16Decoder::Finish(TextSink& sink) {
    if (m_high != 0) {
        m_high = 0;
        if (auto error = m_text.Put(kReplacementCharacter, true, sink)) {
            return error;
        }
    }
    if (m_haveByte) {
        m_haveByte = false;
        return m_text.Put(kReplacementCharacter, true, sink);
    }
    return {};
}

} // namespace rz408
