// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlankCheck.h"

#include "ConversionRun.h"
#include "CopyNames.h"
#include "Encoding.h"
#include "LogEntry.h"
#include "RunFailures.h"
#include "SourceReading.h"
#include "TranslationTable.h"

#include <array>
#include <exception>
#include <new>
#include <utility>

namespace rz408 {

namespace {

// Follows the characters of a source as ReadCharacters passes them on, counting lines and
// columns as the conversion ends its lines, and passes on those that become blanks.
class BlankFinder {
public:
    explicit BlankFinder(std::function<void(const BlankFinding&)> each) : m_each(std::move(each)) {}

    void operator()(const SourceCharacter& ch) {
        const bool lineFeedOfTheEnd = m_afterCr && ch.Cp1252 == '\n';
        m_afterCr = ch.Cp1252 == '\r';
        if (lineFeedOfTheEnd) {
            return;
        }
        if (m_afterCr) {
            ++m_line;
            m_column = 0;
            return;
        }
        ++m_column;
        // The conversion makes a blank of every character Windows-1252 lacks, and of each code
        // its table has no replacement for; a grave accent becomes an apostrophe first.
        if (ch.Cp1252 < 0 || TranslationTable[static_cast<unsigned char>(ch.Cp1252)].Blank) {
            m_each({m_line, m_column, ch.C, ch.Cp1252 < 0 ? std::int64_t{ch.C} : ch.Cp1252,
                    ch.Broken});
        }
    }

private:
    std::function<void(const BlankFinding&)> m_each;
    std::uint64_t m_line = 1;
    std::uint64_t m_column = 0;
    bool m_afterCr = false;
};

// Characters that show no form of their own where they stand (ranges, first and last).
constexpr std::array<std::pair<char32_t, char32_t>, 23> kNoFormOfTheirOwn = {{
    {0x0080, 0x00A0},    // the C1 controls, the no-break space
    {0x00AD, 0x00AD},    // soft hyphen
    {0x034F, 0x034F},    // combining grapheme joiner
    {0x061C, 0x061C},    // Arabic letter mark
    {0x115F, 0x1160},    // Hangul fillers
    {0x1680, 0x1680},    // Ogham space mark
    {0x17B4, 0x17B5},    // Khmer inherent vowels
    {0x180B, 0x180F},    // Mongolian variation selectors and vowel separator
    {0x2000, 0x200F},    // spaces, zero-width space and joiners, direction marks
    {0x2028, 0x202F},    // line and paragraph separators, direction embeddings, narrow space
    {0x205F, 0x206F},    // medium space, word joiner, invisible operators, direction isolates
    {0x3000, 0x3000},    // ideographic space
    {0x3164, 0x3164},    // Hangul filler
    {0xE000, 0xF8FF},    // private use
    {0xFE00, 0xFE0F},    // variation selectors
    {0xFEFF, 0xFEFF},    // zero-width no-break space (a byte-order mark inside the text)
    {0xFFA0, 0xFFA0},    // halfwidth Hangul filler
    {0xFFF0, 0xFFFB},    // unassigned specials, interlinear annotation
    {0xFFFE, 0xFFFF},    // non-characters
    {0x1BCA0, 0x1BCA3},  // shorthand format controls
    {0x1D173, 0x1D17A},  // musical format controls
    {0xE0000, 0xE0FFF},  // tags, variation selectors supplement
    {0xF0000, 0x10FFFF}, // supplementary private use
}};

bool ShowsNoForm(char32_t c) {
    for (const auto& [first, last] : kNoFormOfTheirOwn) {
        if (c >= first && c <= last) {
            return true;
        }
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int following = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    // The lead byte: as many high bits set as the sequence has bytes.
    out += static_cast<char>(((0xFF00u >> (following + 1)) & 0xFFu) | (c >> (6 * following)));
    for (int k = following - 1; k >= 0; --k) {
        out += static_cast<char>(0x80u | ((c >> (6 * k)) & 0x3Fu));
    }
}

// "<U+00A0>": the character's number in hexadecimal, at least four digits.
std::string NumberForm(char32_t c) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    for (char32_t rest = c; rest != 0 || digits.size() < 4; rest >>= 4) {
        digits.insert(digits.begin(), kDigits[rest & 0xF]);
    }
    return "<U+" + digits + ">";
}

} // namespace

CheckReport CheckRun(const Module1& m, const fileops::Folder& folder,
                     const std::vector<std::string>& names, std::optional<SourceEncoding> encoding,
                     const std::function<void(std::string_view name, const BlankFinding&)>& each) {
    CheckReport report;
    std::string logName;
    try {
        logName = LogFileName(m);
    } catch (...) {
        return report;
    }
    for (const std::string& name : names) {
        try {
            const std::string targetName = TargetName(name);
            if (WouldOverwriteLog(targetName, logName)) {
                FileFailure noted;
                noted.Name = name;
                noted.Step = FileFailure::Action::CopyIsLog;
                noted.File = targetName;
                noted.Reason = "its copy " + targetName + " would overwrite the log file";
                report.Failures.push_back(std::move(noted));
                continue;
            }
            std::uint64_t found = 0;
            BlankFinder finder([&](const BlankFinding& finding) {
                ++found;
                each(name, finding);
            });
            const SourceReading reading = ReadCharacters(folder, name, encoding, std::ref(finder));
            report.Blanks += found;
            report.WithBlanks += found != 0 ? 1 : 0;
            if (reading.ReadError) {
                AddReadFailure(report.Failures, name, reading.ReadError.message());
                continue;
            }
            ++report.Checked;
            if (reading.Encoding != SourceEncoding::Windows1252) {
                report.UnicodeSources.push_back({name, reading.Encoding, reading.Broken});
            }
        } catch (const std::bad_alloc&) {
            AddReadFailure(report.Failures, name, "not enough memory");
        } catch (const std::exception& e) {
            AddReadFailure(report.Failures, name, e.what());
        }
    }
    return report;
}

std::string FindingText(const Module1& m, const BlankFinding& finding) {
    std::string text;
    if (ShowsNoForm(finding.Character)) {
        text = NumberForm(finding.Character);
    } else {
        AppendUtf8(text, finding.Character);
    }
    text += Cp1252ToUtf8(m.LogTextBefore);
    text += NumberText(finding.Code);
    text += Cp1252ToUtf8(m.LogTextAfter);
    return text;
}

} // namespace rz408
