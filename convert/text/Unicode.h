// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Characters of Unicode text as the conversion sees them: their Windows-1252 codes where
// Windows-1252 has them, the UTF-8 and UTF-16 forms, and the decoding of a source's bytes as
// they stream in.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {

// What a broken sequence stands for: the replacement character.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The Windows-1252 code of character C, or -1 when Windows-1252 lacks it. The five codes that
// Windows-1252 leaves undefined (129, 141, 143, 144, 157) are the C1 controls of the same
// value, as Cp1252ToUtf8 writes them; the other C1 controls (U+0080, U+0085, ...) have none.
int Cp1252Code(char32_t c);

// The character of Windows-1252 code CODE (the undefined five: the C1 control of that value).
char32_t CharOfCp1252(unsigned char code);

// One UTF-8 sequence at the start of some bytes.
struct Utf8Sequence {
    enum class Kind {
        Complete,   // a character: C, of LENGTH bytes
        Broken,     // not valid UTF-8: the first LENGTH bytes (at least one) are one broken
                    // sequence, and decoding goes on behind them
        Incomplete, // all the bytes (fewer than the sequence needs) begin a valid sequence
    };
    Kind Found = Kind::Broken;
    std::size_t Length = 1;
    char32_t C = kReplacementCharacter;
};

// Decodes the sequence at P (SIZE > 0 bytes), strictly: no overlong forms, no surrogates,
// nothing above U+10FFFF. A broken sequence is the longest start of a valid sequence that is
// there (a stray byte alone), so that every broken spot counts once.
Utf8Sequence DecodeUtf8Sequence(const unsigned char* p, std::size_t size);

// Where decoded text goes.
class TextSink {
public:
    virtual ~TextSink() = default;

    // The next characters, all of them in Windows-1252, as their codes.
    virtual std::error_code Text(std::string_view cp1252) = 0;

    // The next character, one that Windows-1252 lacks; BROKEN: a sequence of the source that
    // is not valid in its encoding (C is then kReplacementCharacter).
    virtual std::error_code Other(char32_t c, bool broken) = 0;

    // The reader passes the start of a source through here until the first byte above 127:
    // takes the leading bytes of BYTES below 128 as Text and returns their number. A sink that
    // looks at every byte anyway stops there on its own.
    virtual std::size_t TextBelow128(std::string_view bytes, std::error_code& error);

    // Whether the sink can take back everything it was given of the source at hand (Restart).
    virtual bool CanRestart() const { return false; }
    // Takes back everything it was given of the source at hand, which then comes anew from its
    // start.
    virtual std::error_code Restart();
};

// Decoded characters on their way to a TextSink: the Windows-1252 codes gathered and passed on
// in one piece, the others one at a time; the broken sequences counted.
class DecodedText {
public:
    void Reset() {
        m_used = 0;
        m_broken = 0;
    }
    // The next character C, or with BROKEN a broken sequence (C is then ignored).
    std::error_code Put(char32_t c, bool broken, TextSink& sink);
    // Passes on the codes gathered.
    std::error_code Flush(TextSink& sink);
    // Codes written in place: ROOM of them at AT, then WROTE.
    char* At() { return m_text.data() + m_used; }
    std::size_t Room() const { return m_text.size() - m_used; }
    void Wrote(std::size_t count) { m_used += count; }
    std::uint64_t Broken() const { return m_broken; }

private:
    std::vector<char> m_text = std::vector<char>(16 * 1024);
    std::size_t m_used = 0;
    std::uint64_t m_broken = 0;
};

class Utf8Detector;

// Decodes UTF-8 as it streams in: the text goes to a TextSink, each broken sequence as
// Other(kReplacementCharacter, true). A sequence may be split across Feeds anywhere.
class Utf8Decoder {
public:
    void Reset();
    // With COUNTER, each sequence of more than one byte, valid or broken, is counted there too.
    std::error_code Feed(std::string_view bytes, TextSink& sink, Utf8Detector* counter = nullptr);
    // The end of the text: a sequence cut short there is broken.
    std::error_code Finish(TextSink& sink, Utf8Detector* counter = nullptr);
    std::uint64_t Broken() const { return m_text.Broken(); }

private:
    DecodedText m_text;
    unsigned char m_pending[4] = {}; // an incomplete sequence
    std::size_t m_pendingSize = 0;
};

// Tells whether bytes streaming in are UTF-8 text, but for a few broken sequences at most. It
// counts the characters of more than one byte (valid) and the broken sequences, each as
// Utf8Decoder counts it, and takes the bytes for UTF-8 when
// - at least one character of more than one byte is among them, and
// - there is at most one broken sequence for every kValidPerBroken of those characters: in the
//   whole text, and also up to each broken sequence from the kFewBroken-th on.
// Why: a text in Windows-1252 is seldom valid UTF-8 at any of its letters above 127 (only a
// capital letter or a sharp s right before a typographic mark, "ß“", or a small accented letter
// before two of them make valid sequences), so its broken sequences outnumber its valid ones by
// far, and it is ruled out by its kFewBroken-th broken sequence at the latest, which also keeps
// the reading ahead short. A UTF-8 text damaged in a few places (a stray byte, a character cut
// short) is still UTF-8. Left as Windows-1252: a short text with only a few letters above 127
// and a broken sequence, which could be either; and a text mixing the two encodings that has
// kFewBroken broken sequences before eight times as many valid ones (the rest of it is not
// looked at). Windows-1252 text made mostly of mojibake ("Ã¼" for "ü") holds the very bytes of
// UTF-8 and is taken for it, which undoes the mojibake.
class Utf8Detector {
public:
    static constexpr std::uint64_t kValidPerBroken = 8;
    static constexpr std::uint64_t kFewBroken = 16;

    void Reset();
    // False once the bytes so far rule UTF-8 out, whatever follows.
    bool Feed(std::string_view bytes);
    // Whether the whole text is UTF-8 by the rule; a sequence cut short at its end is broken.
    bool Finish();

    // Instead of Feed, while a Utf8Decoder walks the bytes: counts one sequence of more than one
    // byte, BROKEN or valid, as Feed would (nothing more once UTF-8 is ruled out).
    void Count(bool broken);
    // False once the sequences so far rule UTF-8 out.
    bool Possible() const { return m_possible; }

private:
    unsigned char m_pending[4] = {};
    std::size_t m_pendingSize = 0;
    std::uint64_t m_valid = 0;
    std::uint64_t m_broken = 0;
    bool m_possible = true;
};

// Decodes UTF-16 (little or big endian) as it streams in, like Utf8Decoder. A surrogate
// without its partner, and a last byte without a partner, are broken units.
class Utf16Decoder {
public:
    void Reset(bool bigEndian);
    std::error_code Feed(std::string_view bytes, TextSink& sink);
    std::error_code Finish(TextSink& sink);
    std::uint64_t Broken() const { return m_text.Broken(); }

private:
    std::error_code Unit(char16_t unit, TextSink& sink);

    DecodedText m_text;
    bool m_bigEndian = false;
    bool m_haveByte = false; // the first byte of a unit came at the end of the last Feed
    unsigned char m_byte = 0;
    char16_t m_high = 0; // a high surrogate waiting for its low one, or 0
};

// The characters of one line that Windows-1252 lacks, by Unicode number. Its memory is bounded
// whatever the line holds: a few characters are kept in a list; once there are more, one bit
// per possible character is taken (136 KiB), and kept for the lines after.
class CodePointSet {
public:
    void Add(char32_t c) {
        if (m_bits.empty()) {
            if (std::find(m_few.begin(), m_few.end(), c) != m_few.end()) {
                return;
            }
            if (m_few.size() < kFew) {
                m_few.push_back(c);
                return;
            }
            m_bits.assign(kWords, 0);
            for (const char32_t earlier : m_few) {
                Set(earlier);
            }
            m_few.clear();
        }
        Set(c);
    }
    bool Empty() const { return m_few.empty() && m_words.empty(); }
    void Clear() {
        TakeAscending([](char32_t) {});
    }

    // Calls F(c) for each character of the set, lowest first, and empties the set.
    template <typename F>
    void TakeAscending(F f) {
        std::sort(m_few.begin(), m_few.end());
        for (const char32_t c : m_few) {
            f(c);
        }
        m_few.clear();
        std::sort(m_words.begin(), m_words.end());
        for (const std::uint32_t word : m_words) {
            for (std::uint64_t bits = m_bits[word]; bits != 0; bits &= bits - 1) {
                f(static_cast<char32_t>(word * 64 + static_cast<unsigned>(std::countr_zero(bits))));
            }
            m_bits[word] = 0;
        }
        m_words.clear();
    }

private:
    void Set(char32_t c) {
        const std::size_t word = (c & 0x1FFFFF) >> 6;
        if (word >= kWords) {
            return;
        }
        if (m_bits[word] == 0) {
            m_words.push_back(static_cast<std::uint32_t>(word));
        }
        m_bits[word] |= std::uint64_t{1} << (c & 63);
    }

    static constexpr std::size_t kFew = 32;
    static constexpr std::size_t kWords = 0x110000 / 64;
    std::vector<char32_t> m_few;
    std::vector<std::uint64_t> m_bits;  // empty until the list was full
    std::vector<std::uint32_t> m_words; // the words of m_bits that are not 0
};

} // namespace rz408
