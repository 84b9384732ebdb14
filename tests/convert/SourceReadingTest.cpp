// SPDX-License-Identifier: GPL-3.0-or-later
// Sources read as the text they hold: which encoding, and that a Unicode source converts as the
// same text in Windows-1252 would, whatever the size of the blocks it is read in.

#include "SourceReading.h"
#include "ConvertSupport.h"
#include "Rows.h"
#include "StreamConverter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace rz408 {
namespace {

using test::CharsOfCp1252;
using test::GermanEntry;
using test::GermanOtherEntry;
using test::StringSink;
using test::Utf16Of;
using test::Utf8Of;
using GivenEncoding = std::optional<SourceEncoding>;

// A source in memory that counts what is read of it.
class CountingSource : public MemorySource {
public:
    using MemorySource::MemorySource;
    std::error_code Read(char* data, std::size_t size, std::size_t& got) override {
        const std::error_code error = MemorySource::Read(data, size, got);
        BytesRead += got;
        return error;
    }
    std::error_code Seek(std::uint64_t offset) override {
        ++Seeks;
        return MemorySource::Seek(offset);
    }
    std::size_t BytesRead = 0;
    int Seeks = 0;
};

struct Converted {
    std::string Blocks; // how it was read and written, for the failure message
    SourceReading Reading;
    std::string Target;
    std::string Log;
    std::size_t BytesRead = 0;
    int Seeks = 0;
    std::size_t Restarts = 0;
};

// SOURCE read in blocks of BLOCK bytes and converted through an output block of OUT bytes, into
// a sink that can take back what it got (RESTARTABLE) or not.
Converted ReadAndConvert(std::string_view source, GivenEncoding given, std::size_t block,
                         std::size_t out = StreamConverter::kDefaultBlockSize,
                         bool restartable = false) {
    StringSink sink;
    sink.Restartable = restartable;
    const Module1 m = test::German();
    StreamConverter converter(m, sink, out);
    converter.Start("f.deu : ");
    CountingSource bytes(source, block);
    SourceReader reader(block);
    Converted result;
    result.Reading = reader.Read(bytes, given, converter);
    EXPECT_FALSE(result.Reading.ReadError);
    EXPECT_FALSE(result.Reading.SinkError);
    EXPECT_FALSE(converter.Finish());
    result.Target = sink.Target;
    result.Log = sink.Log;
    result.BytesRead = bytes.BytesRead;
    result.Seeks = bytes.Seeks;
    result.Restarts = sink.Restarts;
    return result;
}

// Windows-1252 text as it has always been converted: its bytes fed as they are.
StringSink ConvertWindows1252(std::string_view text) {
    StringSink sink;
    const Module1 m = test::German();
    StreamConverter converter(m, sink);
    converter.Start("f.deu : ");
    EXPECT_FALSE(converter.Feed(text));
    EXPECT_FALSE(converter.Finish());
    return sink;
}

// SOURCE read in blocks that put every block edge in many places of a short source, and in
// one block; each through a small output block and a large one, into a sink that can take back
// what it got and one that cannot.
std::vector<Converted> ReadInAllBlockSizes(std::string_view source, GivenEncoding given) {
    std::vector<Converted> all;
    for (const std::size_t block : {1, 2, 3, 4, 5, 7, 16, 64 * 1024}) {
        for (const std::size_t out : {std::size_t{3}, StreamConverter::kDefaultBlockSize}) {
            for (const bool restartable : {false, true}) {
                const std::string blocks = "block " + std::to_string(block) + ", out " +
                                           std::to_string(out) +
                                           (restartable ? ", restartable" : "");
                SCOPED_TRACE(blocks);
                all.push_back(ReadAndConvert(source, given, block, out, restartable));
                all.back().Blocks = blocks;
            }
        }
    }
    return all;
}

const std::u32string kGreeting = U"Gr\u00fc\u00dfe aus K\u00f6ln \u201eHallo\u201c";
const std::string kGreeting1252 = "Gr\xFC\xDF"
                                  "e aus K\xF6ln \x84Hallo\x93";

std::string EveryCode() {
    std::string codes;
    for (int code = 0; code < 256; ++code) {
        codes += static_cast<char>(code);
        codes += "\r\n";
    }
    return codes;
}

// ---------------------------------------------------------------------------------------
// Sources that convert exactly as a Windows-1252 text does.

struct SameCase {
    const char* Name;
    friend void PrintTo(const SameCase& row, std::ostream* out) { *out << row.Name; }
    std::string Source;
    GivenEncoding Given;
    SourceEncoding Encoding;
    bool Mark;
    std::string Text; // the same text in Windows-1252
};

class SameAsWindows1252 : public testing::TestWithParam<SameCase> {};

TEST_P(SameAsWindows1252, TargetAndLog) {
    const SameCase& row = GetParam();
    const StringSink expected = ConvertWindows1252(row.Text);
    for (const Converted& converted : ReadInAllBlockSizes(row.Source, row.Given)) {
        SCOPED_TRACE(converted.Blocks);
        EXPECT_EQ(converted.Reading.Encoding, row.Encoding);
        EXPECT_EQ(converted.Reading.ByteOrderMark, row.Mark);
        EXPECT_EQ(converted.Reading.Broken, 0u);
        EXPECT_EQ(converted.Target, expected.Target);
        EXPECT_EQ(converted.Log, expected.Log);
    }
}

// COUNT small a umlauts in UTF-8, and what they become.
std::string Umlauts(std::size_t count) {
    return Utf8Of(std::u32string(count, U'\u00e4'));
}
std::string Ae(std::size_t count) {
    std::string text;
    for (std::size_t k = 0; k < count; ++k) {
        text += "ae";
    }
    return text;
}
const std::string kSixteenBroken(16, '\xFC');

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::string kLEMark = "\xFF\xFE";
const std::string kBEMark = "\xFE\xFF";
constexpr auto kCp1252 = SourceEncoding::Windows1252;
constexpr auto kUtf8 = SourceEncoding::Utf8;
constexpr auto kLE = SourceEncoding::Utf16LE;
constexpr auto kBE = SourceEncoding::Utf16BE;

INSTANTIATE_TEST_SUITE_P(
    Encodings, SameAsWindows1252,
    testing::Values(
        SameCase{"Utf8WithMark", kUtf8Mark + Utf8Of(kGreeting), {}, kUtf8, true, kGreeting1252},
        SameCase{"Utf8WithoutMark", Utf8Of(kGreeting), {}, kUtf8, false, kGreeting1252},
        SameCase{
            "Utf16LEWithMark", kLEMark + Utf16Of(kGreeting, false), {}, kLE, true, kGreeting1252},
        SameCase{
            "Utf16BEWithMark", kBEMark + Utf16Of(kGreeting, true), {}, kBE, true, kGreeting1252},
        SameCase{"Windows1252", kGreeting1252, {}, kCp1252, false, kGreeting1252},
        SameCase{"AsciiOnly",
                 "plain `text`\r\nline two",
                 {},
                 kCp1252,
                 false,
                 "plain `text`\r\nline two"},
        SameCase{"EmptyFile", "", {}, kCp1252, false, ""},
        SameCase{"OnlyAUtf8Mark", kUtf8Mark, {}, kUtf8, true, ""},
        SameCase{"OnlyAUtf16LEMark", kLEMark, {}, kLE, true, ""},
        SameCase{"OnlyAUtf16BEMark", kBEMark, {}, kBE, true, ""},
        SameCase{"CutUtf8MarkIsWindows1252", "\xEF\xBB", {}, kCp1252, false, "\xEF\xBB"},
        SameCase{"Utf16WithoutMarkIsWindows1252",
                 Utf16Of(kGreeting, false),
                 {},
                 kCp1252,
                 false,
                 Utf16Of(kGreeting, false)},
        // Windows-1252 text whose start reads as UTF-8 ("Ã¼" is "ü"), but not all of it.
        SameCase{"LooksLikeUtf8AtItsStart",
                 Utf8Of(U"Gr\u00fc\u00dfe ") + "Stra\xDF"
                                               "e",
                 {},
                 kCp1252,
                 false,
                 Utf8Of(U"Gr\u00fc\u00dfe ") + "Stra\xDF"
                                               "e"},
        SameCase{"LooksLikeUtf8UpToItsLastByte",
                 Utf8Of(kGreeting) + "\xC3",
                 {},
                 kCp1252,
                 false,
                 Utf8Of(kGreeting) + "\xC3"},
        SameCase{"LooksLikeUtf8FarOn",
                 Utf8Of(kGreeting) + std::string(200, 'x') + "\r\n\xFC",
                 {},
                 kCp1252,
                 false,
                 Utf8Of(kGreeting) + std::string(200, 'x') + "\r\n\xFC"},
        // Too few characters of more than one byte for a broken sequence: one for every eight.
        SameCase{"SevenLettersAndAStrayByte",
                 Umlauts(7) + "\xFC",
                 {},
                 kCp1252,
                 false,
                 Umlauts(7) + "\xFC"},
        SameCase{"SharpSBeforeAQuoteInWindows1252",
                 "Fu\xDF\x93 f\xFCr",
                 {},
                 kCp1252,
                 false,
                 "Fu\xDF\x93 f\xFCr"},
        // Sixteen broken sequences before eight times as many valid ones: the rest is not read.
        SameCase{"SixteenBrokenFirst",
                 kSixteenBroken + Umlauts(200),
                 {},
                 kCp1252,
                 false,
                 kSixteenBroken + Umlauts(200)},
        SameCase{"SixteenBrokenAfter127Valid",
                 Umlauts(127) + kSixteenBroken,
                 {},
                 kCp1252,
                 false,
                 Umlauts(127) + kSixteenBroken},
        SameCase{"Utf8MarkWithWindows1252Given", kUtf8Mark + Utf8Of(kGreeting), kCp1252, kCp1252,
                 false, kUtf8Mark + Utf8Of(kGreeting)},
        SameCase{"Utf16MarkWithWindows1252Given", kLEMark + Utf16Of(U"Gr\u00fc", false), kCp1252,
                 kCp1252, false, kLEMark + Utf16Of(U"Gr\u00fc", false)},
        SameCase{"Utf8GivenSkipsItsMark", kUtf8Mark + Utf8Of(kGreeting), kUtf8, kUtf8, true,
                 kGreeting1252},
        SameCase{"Utf8GivenForAscii", "abc", kUtf8, kUtf8, false, "abc"},
        SameCase{"Utf16LEGivenWithoutMark", Utf16Of(kGreeting, false), kLE, kLE, false,
                 kGreeting1252},
        SameCase{"Utf16BEGivenSkipsItsMark", kBEMark + Utf16Of(kGreeting, true), kBE, kBE, true,
                 kGreeting1252},
        SameCase{"LineEndsInUtf8",
                 Utf8Of(U"\u00e4\rb\r\nc\nd\r\n\r"),
                 {},
                 kUtf8,
                 false,
                 "\xE4\rb\r\nc\nd\r\n\r"},
        SameCase{"LineEndsInUtf16",
                 kBEMark + Utf16Of(U"\u00e4\rb\r\nc\nd\r\n\r", true),
                 {},
                 kBE,
                 true,
                 "\xE4\rb\r\nc\nd\r\n\r"},
        SameCase{
            "EveryCodeInUtf8", Utf8Of(CharsOfCp1252(EveryCode())), {}, kUtf8, false, EveryCode()},
        SameCase{"EveryCodeInUtf16LE",
                 kLEMark + Utf16Of(CharsOfCp1252(EveryCode()), false),
                 {},
                 kLE,
                 true,
                 EveryCode()}),
    test::RowName());

// ---------------------------------------------------------------------------------------
// Characters that Windows-1252 lacks, and broken sequences.

struct OtherCase {
    const char* Name;
    friend void PrintTo(const OtherCase& row, std::ostream* out) { *out << row.Name; }
    std::string Source;
    GivenEncoding Given;
    SourceEncoding Encoding;
    std::uint64_t Broken;
    std::string Target;
    std::string Entries; // the log entries of the file's lines
};

class OtherCharacters : public testing::TestWithParam<OtherCase> {};

TEST_P(OtherCharacters, BecomeLoggedBlanks) {
    const OtherCase& row = GetParam();
    const std::string log = row.Entries.empty() ? "" : "f.deu : " + row.Entries + "\r\n";
    for (const Converted& converted : ReadInAllBlockSizes(row.Source, row.Given)) {
        SCOPED_TRACE(converted.Blocks);
        EXPECT_EQ(converted.Reading.Encoding, row.Encoding);
        EXPECT_EQ(converted.Reading.Broken, row.Broken);
        EXPECT_EQ(converted.Target, row.Target);
        EXPECT_EQ(converted.Log, log);
    }
}

const std::string kBroken = GermanOtherEntry(0xFFFD);

std::string Units(std::initializer_list<char16_t> units, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += Utf16Of(std::u32string(1, unit), bigEndian);
    }
    return bytes;
}

// More characters in one line than the set keeps in its short list: 40 of them, downwards, and
// the first five once more; then a line with three of them again.
OtherCase ManyOtherCharacters() {
    std::u32string line;
    std::string entries;
    for (char32_t c = 0x0440; c > 0x0418; --c) {
        line += c;
    }
    for (char32_t c = 0x0419; c <= 0x0440; ++c) {
        entries += GermanOtherEntry(c);
    }
    const std::u32string next = U"\u0440\u0419\u2028";
    return {"ManyOtherCharacters",
            Utf8Of(line + line.substr(0, 5) + U"\r\n" + next),
            {},
            kUtf8,
            0,
            std::string(45, ' ') + "\r\n   \r\n",
            entries + GermanOtherEntry(0x0419) + GermanOtherEntry(0x0440) +
                GermanOtherEntry(0x2028)};
}

INSTANTIATE_TEST_SUITE_P(
    Characters, OtherCharacters,
    testing::Values(
        ManyOtherCharacters(),
        OtherCase{
            "CyrillicLetter", Utf8Of(U"a\u0416b"), {}, kUtf8, 0, "a b\r\n", GermanOtherEntry(1046)},
        OtherCase{
            "Emoji", Utf8Of(U"a\U0001F600"), {}, kUtf8, 0, "a \r\n", GermanOtherEntry(128512)},
        OtherCase{"HighestCharacter",
                  Utf8Of(U"\U0010FFFF"),
                  {},
                  kUtf8,
                  0,
                  " \r\n",
                  GermanOtherEntry(0x10FFFF)},
        OtherCase{"HighestCharacterInUtf16",
                  kLEMark + Utf16Of(U"\U0010FFFF", false),
                  {},
                  kLE,
                  0,
                  " \r\n",
                  GermanOtherEntry(0x10FFFF)},
        OtherCase{"SurrogatePairLE",
                  kLEMark + Utf16Of(U"a\U0001F600b", false),
                  {},
                  kLE,
                  0,
                  "a b\r\n",
                  GermanOtherEntry(128512)},
        OtherCase{"SurrogatePairBE",
                  kBEMark + Utf16Of(U"a\U0001F600b", true),
                  {},
                  kBE,
                  0,
                  "a b\r\n",
                  GermanOtherEntry(128512)},
        // Within a line: the Windows-1252 codes in ascending order, then the others by number
        // (U+0085, a control character, has no Windows-1252 code: code 133 is the ellipsis).
        OtherCase{"OthersFollowTheWindows1252Codes",
                  Utf8Of(U"\u0416\u201e\U0001F600\u2013\u0085\u00d7\u2026"),
                  {},
                  kUtf8,
                  0,
                  "       \r\n",
                  GermanEntry(132) + GermanEntry(133) + GermanEntry(150) + GermanEntry(215) +
                      GermanOtherEntry(133) + GermanOtherEntry(1046) + GermanOtherEntry(128512)},
        // The line feed behind the character is not the one behind the carriage return.
        OtherCase{"OtherCharacterAfterACarriageReturn",
                  Utf8Of(U"\u0416a\r\u0416\nb"),
                  {},
                  kUtf8,
                  0,
                  " a\r\n \nb\r\n",
                  GermanOtherEntry(1046) + GermanOtherEntry(1046)},
        OtherCase{"OneEntryPerCharacterAndLine",
                  Utf8Of(U"\u0416x\u0416\r\n\u0416"),
                  {},
                  kUtf8,
                  0,
                  " x \r\n \r\n",
                  GermanOtherEntry(1046) + GermanOtherEntry(1046)},
        OtherCase{"LoneHighSurrogate",
                  kLEMark + Units({'a', 0xD800, 'b'}, false),
                  {},
                  kLE,
                  1,
                  "a b\r\n",
                  kBroken},
        OtherCase{"LoneLowSurrogate",
                  kBEMark + Units({0xDC00, 'b'}, true),
                  {},
                  kBE,
                  1,
                  " b\r\n",
                  kBroken},
        OtherCase{"HighSurrogateAtTheEnd",
                  kLEMark + Units({'a', 0xD83D}, false),
                  {},
                  kLE,
                  1,
                  "a \r\n",
                  kBroken},
        OtherCase{"HighSurrogateBeforeAPair",
                  kLEMark + Units({0xD83D, 0xD83D, 0xDE00}, false),
                  {},
                  kLE,
                  1,
                  "  \r\n",
                  kBroken + GermanOtherEntry(128512)},
        OtherCase{
            "OddLength", kLEMark + Utf16Of(U"ab", false) + "c", {}, kLE, 1, "ab \r\n", kBroken},
        OtherCase{"OddLengthAfterAHighSurrogate",
                  kBEMark + Units({'a', 0xD83D}, true) + "x",
                  {},
                  kBE,
                  2,
                  "a  \r\n",
                  kBroken},
        OtherCase{"MarkOfTheOtherByteOrder", kBEMark + Utf16Of(U"a", false), kLE, kLE, 0, " a\r\n",
                  GermanOtherEntry(0xFFFE)},
        OtherCase{
            "Utf8MarkThenBroken", kUtf8Mark + "a\xFF" + "b", {}, kUtf8, 1, "a b\r\n", kBroken},
        // UTF-8 but for a few broken sequences, at most one for every eight valid characters of
        // more than one byte: read as UTF-8, each broken sequence a blank.
        OtherCase{"Utf8ButForAStrayByte",
                  Utf8Of(kGreeting + kGreeting) + "\xE9\r\n",
                  {},
                  kUtf8,
                  1,
                  "Gruesse aus Koeln  Hallo Gruesse aus Koeln  Hallo  \r\n",
                  GermanEntry(132) + GermanEntry(147) + kBroken},
        OtherCase{"EightLettersAndAStrayByte",
                  Umlauts(8) + "\xFC",
                  {},
                  kUtf8,
                  1,
                  Ae(8) + " \r\n",
                  kBroken},
        OtherCase{"EightLettersAndOneCutShort",
                  Umlauts(8) + "\xC3",
                  {},
                  kUtf8,
                  1,
                  Ae(8) + " \r\n",
                  kBroken},
        OtherCase{"FifteenBrokenFirst",
                  kSixteenBroken.substr(1) + Umlauts(120),
                  {},
                  kUtf8,
                  15,
                  std::string(15, ' ') + Ae(120) + "\r\n",
                  kBroken},
        OtherCase{"SixteenBrokenAfter128Valid",
                  Umlauts(128) + kSixteenBroken,
                  {},
                  kUtf8,
                  16,
                  Ae(128) + std::string(16, ' ') + "\r\n",
                  kBroken},
        // Given by hand: each broken sequence a blank, counted.
        OtherCase{"Utf8GivenOnBrokenText",
                  "a\xFC\x80"
                  "b\xE2\x82\r\nc\xF0\x9F\x98",
                  kUtf8, kUtf8, 4, "a  b \r\nc \r\n", kBroken + kBroken},
        OtherCase{"Utf8GivenOnOverlongSurrogateAndTooHigh",
                  "\xC0\xAF|\xE0\x80\xAF|\xED\xA0\x80|\xF4\x90\x80\x80", kUtf8, kUtf8, 12,
                  "  |   |   |    \r\n", kBroken},
        // "ab" is one unit in UTF-16LE, U+6261 (a CJK character), and a byte is left over.
        OtherCase{"Utf16GivenOnWindows1252Text", "ab\xFC", kLE, kLE, 1, "  \r\n",
                  GermanOtherEntry(0x6261) + kBroken}),
    test::RowName());

// ---------------------------------------------------------------------------------------
// A UTF-8 sequence split across read blocks: every split point, with and without a mark,
// found by the reader on its own and given.

struct SplitCase {
    const char* Name;
    friend void PrintTo(const SplitCase& row, std::ostream* out) { *out << row.Name; }
    char32_t C;
    std::string Converted; // what the character becomes
    std::string Entries;
};

class SplitSequences : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitSequences, EverySplitPointAtTheBlockEdge) {
    const SplitCase& row = GetParam();
    const std::string sequence = Utf8Of(std::u32string(1, row.C));
    const std::string log = row.Entries.empty() ? "" : "f.deu : " + row.Entries + "\r\n";
    for (const std::string& mark : {std::string(), kUtf8Mark}) {
        for (const GivenEncoding given : {GivenEncoding(), GivenEncoding(kUtf8)}) {
            for (std::size_t block = 1; block <= 6; ++block) {
                // The sequence begins at every place of a block, so that each edge falls
                // after each of its bytes.
                for (std::size_t before = 0; before < block + sequence.size(); ++before) {
                    SCOPED_TRACE("block " + std::to_string(block) + ", " + std::to_string(before) +
                                 " before, mark " + std::to_string(mark.size()) +
                                 (given ? ", given" : ""));
                    const std::string source =
                        mark + std::string(before, 'x') + sequence + "y" + sequence;
                    const Converted converted = ReadAndConvert(source, given, block, 4);
                    EXPECT_EQ(converted.Reading.Encoding, kUtf8);
                    EXPECT_EQ(converted.Reading.Broken, 0u);
                    EXPECT_EQ(converted.Target, std::string(before, 'x') + row.Converted + "y" +
                                                    row.Converted + "\r\n");
                    EXPECT_EQ(converted.Log, log);
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, SplitSequences,
    testing::Values(SplitCase{"TwoBytesUmlaut", U'\u00fc', "ue", ""},
                    SplitCase{"TwoBytesCyrillic", U'\u0416', " ", GermanOtherEntry(1046)},
                    SplitCase{"ThreeBytesQuote", U'\u201e', " ", GermanEntry(132)},
                    SplitCase{"ThreeBytesOther", U'\u2028', " ", GermanOtherEntry(0x2028)},
                    SplitCase{"FourBytes", U'\U0001F600', " ", GermanOtherEntry(128512)}),
    test::RowName());

// ---------------------------------------------------------------------------------------
// Reading: a Windows-1252 text is read once; a source that may be UTF-8 is read ahead from its
// first byte above 127 and read again from there. Into a sink that can take back what it got,
// only one block is read ahead: a source still open to UTF-8 then is passed on as UTF-8, and read
// anew from its start should it turn out not to be.

struct ReadsCase {
    const char* Name;
    friend void PrintTo(const ReadsCase& row, std::ostream* out) { *out << row.Name; }
    std::string Source;
    std::size_t Block;
    SourceEncoding Encoding;
    int Seeks;
    std::size_t BytesRead;
    // Into a sink that can take back what it got.
    int RestartableSeeks;
    std::size_t RestartableBytesRead;
    std::size_t Restarts;
};

class Reads : public testing::TestWithParam<ReadsCase> {};

TEST_P(Reads, OnceUnlessItMayBeUtf8) {
    const ReadsCase& row = GetParam();
    const Converted converted = ReadAndConvert(row.Source, {}, row.Block);
    EXPECT_EQ(converted.Reading.Encoding, row.Encoding);
    EXPECT_EQ(converted.Seeks, row.Seeks);
    EXPECT_EQ(converted.BytesRead, row.BytesRead);
    const Converted restartable =
        ReadAndConvert(row.Source, {}, row.Block, StreamConverter::kDefaultBlockSize, true);
    EXPECT_EQ(restartable.Reading.Encoding, row.Encoding);
    EXPECT_EQ(restartable.Seeks, row.RestartableSeeks);
    EXPECT_EQ(restartable.BytesRead, row.RestartableBytesRead);
    EXPECT_EQ(restartable.Restarts, row.Restarts);
    EXPECT_EQ(restartable.Target, converted.Target);
    EXPECT_EQ(restartable.Log, converted.Log);
}

const std::string kPlain = std::string(1000, 'a') + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Encodings, Reads,
    testing::Values(
        ReadsCase{"Ascii", kPlain + kPlain, 64, kCp1252, 0, 2004, 0, 2004, 0},
        // Ruled out at its sixteenth letter above 127, within the block at hand.
        ReadsCase{"Windows1252", kPlain + kSixteenBroken + kPlain, 64, kCp1252, 0, 2020, 0, 2020,
                  0},
        // Ruled out at its sixteenth, in the block from byte 1984 on: read ahead to there. Into
        // the other sink: one block ahead (1024 to 1088), passed on from byte 1002 to the block
        // that ends at 2026, then all of it (3022) anew.
        ReadsCase{"Windows1252RuledOutFarOn",
                  kPlain + "\xFC" + kPlain + kSixteenBroken.substr(1) + kPlain, 64, kCp1252, 1,
                  2048 + 2020, 2, 1088 + (2026 - 1002) + 3022, 1},
        // Fewer than sixteen: read ahead to its end. Into the other sink: one block ahead, passed
        // on to its end from the first letter (at 1004), and then all of it anew.
        ReadsCase{"Windows1252FewLetters", kPlain + kGreeting1252 + kPlain, 64, kCp1252, 1,
                  2 * (2004 + kGreeting1252.size()) - 1004, 2,
                  1088 + (2004 + kGreeting1252.size() - 1004) + 2004 + kGreeting1252.size(), 1},
        // Within one block: decided there, nothing read again.
        ReadsCase{"Utf8InOneBlock", kPlain + Utf8Of(kGreeting), 4096, kUtf8, 0,
                  1002 + Utf8Of(kGreeting).size(), 0, 1002 + Utf8Of(kGreeting).size(), 0},
        // Read ahead to the end, then again from the first byte above 127 (the u umlaut, at 1006);
        // into the other sink one block ahead, and once from there to the end (2035).
        ReadsCase{"Utf8", kPlain + "ab" + Utf8Of(kGreeting) + kPlain, 64, kUtf8, 1,
                  2 * (2006 + Utf8Of(kGreeting).size()) - 1006, 1, 1088 + 2035 - 1006, 0},
        ReadsCase{"NotUtf8FarOn", kPlain + "ab" + Utf8Of(kGreeting) + kPlain + "\xFC", 64, kCp1252,
                  1, 2 * (2007 + Utf8Of(kGreeting).size()) - 1006, 2, 1088 + 2036 - 1006 + 2036, 1},
        ReadsCase{"Utf8WithMark", kUtf8Mark + kPlain + Utf8Of(kGreeting), 64, kUtf8, 0,
                  1005 + Utf8Of(kGreeting).size(), 0, 1005 + Utf8Of(kGreeting).size(), 0}),
    test::RowName());

// ---------------------------------------------------------------------------------------
// The pieces underneath.

TEST(Cp1252Code, EveryCodeAndItsCharacter) {
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Cp1252Code(CharOfCp1252(static_cast<unsigned char>(code))), code);
    }
    const std::vector<std::pair<char32_t, int>> rows = {
        {U'\u20ac', 0x80}, {U'\u201e', 0x84}, {U'\u2122', 0x99},  {U'\u0178', 0x9F},
        {U'\u02dc', 0x98}, {U'\u00a0', 0xA0}, {U'\u0080', -1},    {U'\u0085', -1},
        {U'\u0100', -1},   {U'\u0416', -1},   {U'\u2028', -1},    {U'\u20ab', -1},
        {U'\ufffd', -1},   {U'\ufeff', -1},   {U'\U0001F600', -1}};
    for (const auto& [c, code] : rows) {
        SCOPED_TRACE(static_cast<unsigned>(c));
        EXPECT_EQ(Cp1252Code(c), code);
    }
}

struct SequenceCase {
    const char* Name;
    friend void PrintTo(const SequenceCase& row, std::ostream* out) { *out << row.Name; }
    std::string Bytes;
    Utf8Sequence::Kind Kind;
    std::size_t Length;
    char32_t C;
};

class Utf8Sequences : public testing::TestWithParam<SequenceCase> {};

TEST_P(Utf8Sequences, Decoded) {
    const SequenceCase& row = GetParam();
    const Utf8Sequence sequence = DecodeUtf8Sequence(
        reinterpret_cast<const unsigned char*>(row.Bytes.data()), row.Bytes.size());
    EXPECT_EQ(sequence.Found, row.Kind);
    EXPECT_EQ(sequence.Length, row.Length);
    EXPECT_EQ(sequence.C, row.C);
}

constexpr auto kComplete = Utf8Sequence::Kind::Complete;
constexpr auto kBrokenSequence = Utf8Sequence::Kind::Broken;
constexpr auto kIncomplete = Utf8Sequence::Kind::Incomplete;
constexpr char32_t kFFFD = kReplacementCharacter;

INSTANTIATE_TEST_SUITE_P(
    Strict, Utf8Sequences,
    testing::Values(SequenceCase{"Ascii", "ab", kComplete, 1, U'a'},
                    SequenceCase{"TwoBytes", "\xC3\xBCx", kComplete, 2, U'\u00fc'},
                    SequenceCase{"LowestTwoBytes", "\xC2\x80", kComplete, 2, U'\u0080'},
                    SequenceCase{"ThreeBytes", "\xE2\x80\x9E", kComplete, 3, U'\u201e'},
                    SequenceCase{"LowestThreeBytes", "\xE0\xA0\x80", kComplete, 3, U'\u0800'},
                    SequenceCase{"LastBeforeSurrogates", "\xED\x9F\xBF", kComplete, 3, U'\ud7ff'},
                    SequenceCase{"FourBytes", "\xF0\x9F\x98\x80", kComplete, 4, U'\U0001F600'},
                    SequenceCase{"Highest", "\xF4\x8F\xBF\xBF", kComplete, 4, U'\U0010FFFF'},
                    SequenceCase{"StrayContinuation", "\x80", kBrokenSequence, 1, kFFFD},
                    SequenceCase{"OverlongTwoBytes", "\xC1\xBF", kBrokenSequence, 1, kFFFD},
                    SequenceCase{"OverlongThreeBytes", "\xE0\x9F\xBF", kBrokenSequence, 1, kFFFD},
                    SequenceCase{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", kBrokenSequence, 1,
                                 kFFFD},
                    SequenceCase{"Surrogate", "\xED\xA0\x80", kBrokenSequence, 1, kFFFD},
                    SequenceCase{"AboveTheHighest", "\xF4\x90\x80\x80", kBrokenSequence, 1, kFFFD},
                    SequenceCase{"NoLeadAtAll", "\xF5\x80\x80\x80", kBrokenSequence, 1, kFFFD},
                    SequenceCase{"CutByAnotherLead", "\xE2\x80\xC3\xBC", kBrokenSequence, 2, kFFFD},
                    SequenceCase{"CutByAscii", "\xF0\x9F\x98x", kBrokenSequence, 3, kFFFD},
                    SequenceCase{"BeginsTwoBytes", "\xC3", kIncomplete, 1, kFFFD},
                    SequenceCase{"BeginsFourBytes", "\xF0\x9F\x98", kIncomplete, 3, kFFFD}),
    test::RowName());

// The characters one by one, as a check of the source would see them.
TEST(ReadCharacters, CodePointsWithTheirWindows1252Codes) {
    const std::string source = kUtf8Mark + Utf8Of(U"a\u00fc\u201e\u0416\r") + "\xFF";
    std::vector<SourceCharacter> characters;
    MemorySource bytes(source, 2);
    const SourceReading reading =
        ReadCharacters(bytes, {}, [&](const SourceCharacter& c) { characters.push_back(c); });
    EXPECT_EQ(reading.Encoding, kUtf8);
    EXPECT_TRUE(reading.ByteOrderMark);
    EXPECT_EQ(reading.Broken, 1u);
    const std::vector<SourceCharacter> expected = {
        {U'a', 'a', false},     {U'\u00fc', 0xFC, false}, {U'\u201e', 0x84, false},
        {U'\u0416', -1, false}, {U'\r', '\r', false},     {kFFFD, -1, true}};
    ASSERT_EQ(characters.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(characters[k].C, expected[k].C);
        EXPECT_EQ(characters[k].Cp1252, expected[k].Cp1252);
        EXPECT_EQ(characters[k].Broken, expected[k].Broken);
    }
}

TEST(ReadCharacters, AFileAsTheConversionReadsIt) {
    test::TempFolder folder;
    test::WriteFile(folder / "x.deu", "\xFE\xFF" + Utf16Of(U"\u00e4\u0416", true));
    std::u32string read;
    const SourceReading reading =
        ReadCharacters(folder.Path(), "x.deu", {}, [&](const SourceCharacter& c) { read += c.C; });
    EXPECT_EQ(reading.Encoding, kBE);
    EXPECT_EQ(read, U"\u00e4\u0416");
    const SourceReading missing =
        ReadCharacters(folder.Path(), "missing.deu", {}, [](const SourceCharacter&) {});
    EXPECT_TRUE(missing.ReadError);
}

TEST(EncodingName, AsMessagesShowIt) {
    EXPECT_EQ(EncodingName(kCp1252), "Windows-1252");
    EXPECT_EQ(EncodingName(kUtf8), "UTF-8");
    EXPECT_EQ(EncodingName(kLE), "UTF-16LE");
    EXPECT_EQ(EncodingName(kBE), "UTF-16BE");
}

} // namespace
} // namespace rz408
