// SPDX-License-Identifier: GPL-3.0-or-later
// The streaming conversion of one file: the line rules, the log record, and that it agrees
// with TranslateLine line by line.

#include "ConvertSupport.h"
#include "LineTranslation.h"
#include "Module1.h"
#include "Rows.h"
#include "StreamConverter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace rz408 {
namespace {

using test::GermanEntry;
using test::StringSink;

// Converts INPUT fed in pieces of CHUNK bytes through an output block of BLOCK bytes.
StringSink Convert(const Module1& m, std::string_view input, std::size_t chunk,
                   std::size_t block = StreamConverter::kDefaultBlockSize,
                   std::uint64_t* lines = nullptr) {
    StringSink sink;
    StreamConverter converter(m, sink, block);
    converter.Start("f.deu : ");
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        EXPECT_FALSE(converter.Feed(input.substr(at, chunk)));
    }
    EXPECT_FALSE(converter.Finish());
    if (lines != nullptr) {
        *lines = converter.Lines();
    }
    return sink;
}

struct ReadCase {
    const char* Name;
    friend void PrintTo(const ReadCase& row, std::ostream* out) { *out << row.Name; }
    std::string Source;
    std::string Target;
    std::uint64_t Lines;
};

class LineReadingCases : public testing::TestWithParam<ReadCase> {};

// Every row is fed in pieces of every size, so that each line end also falls on a block
// boundary, and written through output blocks of several sizes.
TEST_P(LineReadingCases, LinesAndLineEnds) {
    const ReadCase& row = GetParam();
    const Module1 m = test::German();
    for (std::size_t chunk = 1; chunk <= row.Source.size() + 1; ++chunk) {
        for (const std::size_t block :
             {std::size_t{1}, std::size_t{2}, std::size_t{5}, StreamConverter::kDefaultBlockSize}) {
            SCOPED_TRACE("chunk " + std::to_string(chunk) + ", block " + std::to_string(block));
            std::uint64_t lines = 0;
            const StringSink sink = Convert(m, row.Source, chunk, block, &lines);
            EXPECT_EQ(sink.Target, row.Target);
            EXPECT_EQ(lines, row.Lines);
            EXPECT_EQ(sink.Log, "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LineReadingCases,
    testing::Values(ReadCase{"EmptyFile", "", "", 0},
                    ReadCase{"NoLineEndAtTheEnd", "abc", "abc\r\n", 1},
                    ReadCase{"CarriageReturnEndsALine", "a\rb", "a\r\nb\r\n", 2},
                    ReadCase{"CrLf", "a\r\nb\r\n", "a\r\nb\r\n", 2},
                    ReadCase{"FinalCrGivesNoEmptyLine", "abc\r", "abc\r\n", 1},
                    ReadCase{"FinalCrLfGivesNoEmptyLine", "abc\r\n", "abc\r\n", 1},
                    ReadCase{"LoneLineFeedStaysInTheLine", "a\nb", "a\nb\r\n", 1},
                    ReadCase{"LineFeedAtTheStart", "\nabc", "\nabc\r\n", 1},
                    ReadCase{"OnlyALineFeed", "\n", "\n\r\n", 1},
                    ReadCase{"LineFeedBeforeCr", "a\n\rb", "a\n\r\nb\r\n", 2},
                    ReadCase{"OnlyOneLineFeedSkipped", "a\r\n\nb", "a\r\n\nb\r\n", 2},
                    ReadCase{"EmptyLineCr", "\r", "\r\n", 1},
                    ReadCase{"TwoEmptyLinesCr", "\r\r", "\r\n\r\n", 2},
                    ReadCase{"TwoEmptyLinesCrLf", "\r\n\r\n", "\r\n\r\n", 2},
                    ReadCase{"CrThenCrLf", "a\r\r\nb", "a\r\n\r\nb\r\n", 3},
                    ReadCase{"NulBytes", std::string("\0a\0", 3), std::string("\0a\0\r\n", 5), 1},
                    ReadCase{"GraveAccentsBecomeApostrophes", "`a``", "'a''\r\n", 1},
                    ReadCase{"TranslatedAcrossLines", "\xFC\r\n\xE4\xC5", "ue\r\naeAA\r\n", 2},
                    ReadCase{"LongPlainRun", std::string(70, 'x') + "\r\n" + std::string(33, 'y'),
                             std::string(70, 'x') + "\r\n" + std::string(33, 'y') + "\r\n", 2}),
    test::RowName());

struct RecordCase {
    const char* Name;
    friend void PrintTo(const RecordCase& row, std::ostream* out) { *out << row.Name; }
    std::string Source;
    std::string Log;
};

class LogRecordCases : public testing::TestWithParam<RecordCase> {};

TEST_P(LogRecordCases, RecordOfOneFile) {
    for (std::size_t chunk = 1; chunk <= GetParam().Source.size() + 1; ++chunk) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(Convert(test::German(), GetParam().Source, chunk, 3).Log, GetParam().Log);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, LogRecordCases,
    testing::Values(RecordCase{"NothingBlanked",
                               "Gr\xFC\xDF"
                               "e\r\n`x`",
                               ""},
                    RecordCase{"OneLine",
                               "a\x96"
                               "b",
                               "f.deu : " + GermanEntry(150) + "\r\n"},
                    RecordCase{"TwoLinesSameCode", "\x96\r\n\x96\r\n",
                               "f.deu : " + GermanEntry(150) + GermanEntry(150) + "\r\n"},
                    RecordCase{"AscendingWithinALine", "\x96\x85\x96\x80\rok\r\n\xBF",
                               "f.deu : " + GermanEntry(128) + GermanEntry(133) + GermanEntry(150) +
                                   GermanEntry(191) + "\r\n"},
                    RecordCase{"LastLineWithoutEnd", "ok\r\n\xD7",
                               "f.deu : " + GermanEntry(215) + "\r\n"}),
    test::RowName());

// The same lines through TranslateLine (after the grave accents became apostrophes) and
// through the streaming converter.
void ExpectSameAsTranslateLine(const std::vector<std::string>& lines, std::mt19937& random) {
    Module1 m = test::French();
    m.FileLog = "f.deu : ";
    std::string source;
    std::string target;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        m.CurrentLine = line;
        std::replace(m.CurrentLine.begin(), m.CurrentLine.end(), '`', '\'');
        const std::string logBefore = m.FileLog;
        TranslateLine(m);
        // Line by line: one line on its own gives the same line and entries.
        const StringSink single = Convert(m, line + "\r\n", line.size() + 2);
        EXPECT_EQ(single.Target, m.CurrentLine + "\r\n");
        const std::string entries = m.FileLog.substr(logBefore.size());
        EXPECT_EQ(single.Log, entries.empty() ? "" : "f.deu : " + entries + "\r\n");
        source += line;
        // A bare CR ends the line too, unless a line feed follows: that one it would eat.
        const bool lineFeedNext = k + 1 < lines.size() && lines[k + 1].starts_with('\n');
        source += (random() % 3 == 0 && !lineFeedNext) ? "\r" : "\r\n";
        target += m.CurrentLine + "\r\n";
    }
    const std::string log = m.FileLog == "f.deu : " ? "" : m.FileLog + "\r\n";
    for (int round = 0; round < 4; ++round) {
        // Small pieces, and pieces large enough for 64 bytes at a time.
        const std::size_t chunk = round % 2 == 0 ? 1 + random() % 64 : 80 + random() % 2000;
        const std::size_t block = 1 + random() % 100;
        SCOPED_TRACE("chunk " + std::to_string(chunk) + ", block " + std::to_string(block));
        const StringSink whole = Convert(m, source, chunk, block);
        EXPECT_EQ(whole.Target, target);
        EXPECT_EQ(whole.Log, log);
    }
}

TEST(StreamConverter, SameAsTranslateLineForEveryCode) {
    std::mt19937 random(1);
    std::vector<std::string> lines;
    for (int code = 0; code < 256; ++code) {
        if (code != '\r') {
            lines.push_back("<" + std::string(1, static_cast<char>(code)) + ">");
        }
    }
    ExpectSameAsTranslateLine(lines, random);
}

TEST(StreamConverter, SameAsTranslateLineForRandomLines) {
    std::mt19937 random(2);
    for (int file = 0; file < 30; ++file) {
        SCOPED_TRACE(file);
        std::vector<std::string> lines;
        const int count = 1 + static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) {
            lines.push_back(test::RandomBytes(random, random() % 90, false));
        }
        ExpectSameAsTranslateLine(lines, random);
    }
}

TEST(StreamConverter, WritesInBlocksWhateverTheLineLength) {
    const std::string line(3 * 1000 * 1000, 'x');
    const StringSink sink = Convert(test::German(), line + "\xE4", 1 << 20, 4096);
    EXPECT_EQ(sink.Target, line + "ae\r\n");
    EXPECT_LE(sink.LargestWrite, 4096u + 64u);
    EXPECT_GE(sink.Writes, line.size() / 4096);
}

TEST(StreamConverter, TargetWriteFailureIsReturned) {
    const std::string source = "line one\r\nline two\r\nline three\r\n";
    const std::size_t writes = Convert(test::German(), source, source.size(), 8).Writes;
    ASSERT_GE(writes, 4u);
    for (std::size_t failAt = 1; failAt <= writes; ++failAt) {
        SCOPED_TRACE(failAt);
        StringSink sink;
        sink.FailAtWrite = failAt;
        StreamConverter converter(test::German(), sink, 8);
        converter.Start("f.deu : ");
        std::error_code error = converter.Feed(source);
        if (!error) {
            error = converter.Finish();
        }
        EXPECT_EQ(error, std::errc::no_space_on_device);
    }
}

struct LastLineCase {
    const char* Name;
    friend void PrintTo(const LastLineCase& row, std::ostream* out) { *out << row.Name; }
    std::string Source;
    std::size_t Block;
    std::string LastLine;
};

class LastLineCases : public testing::TestWithParam<LastLineCase> {};

TEST_P(LastLineCases, KeepsTheLastLineWritten) {
    StringSink sink;
    StreamConverter converter(test::German(), sink, GetParam().Block);
    converter.Start("f.deu : ");
    ASSERT_FALSE(converter.Feed(GetParam().Source));
    ASSERT_FALSE(converter.Finish());
    EXPECT_EQ(converter.LastLine(), GetParam().LastLine);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LastLineCases,
    testing::Values(LastLineCase{"WithoutLineEnd", "one\r\ntw\xF6", 1024, "twoe"},
                    LastLineCase{"WithLineEnd", "one\r\ntwo\r\n", 1024, "two"},
                    LastLineCase{"EmptyLastLine", "one\r\r\n", 1024, ""},
                    LastLineCase{"LongerThanTheBlock", "one\r\n" + std::string(100, 'z'), 16, ""},
                    LastLineCase{"AfterAFlush", std::string(100, 'z') + "\r\nend", 16, "end"},
                    // Flushed while the last line was open: the block keeps it.
                    LastLineCase{"ShortLineAcrossAFlush", std::string(12, 'a') + "\r\nbbbbb\xFC",
                                 16, "bbbbbue"},
                    LastLineCase{"LongLineAcrossManyFlushes",
                                 std::string(5000, 'y') + "\r\n" + std::string(300, 'b'), 1024,
                                 std::string(300, 'b')}),
    test::RowName());

} // namespace
} // namespace rz408
