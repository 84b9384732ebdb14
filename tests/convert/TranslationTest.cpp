// SPDX-License-Identifier: GPL-3.0-or-later
// The translation table, the line translation, and the names and number texts around them.

#include "ConvertSupport.h"
#include "CopyNames.h"
#include "LineTranslation.h"
#include "LogEntry.h"
#include "Module1.h"
#include "Rows.h"
#include "RunReport.h"
#include "TranslationTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>

namespace rz408 {
namespace {

using test::English;
using test::French;
using test::German;

// The transliterations, as the game's players expect them.
const std::map<int, std::string> kReplacements = {
    {180, "'"},  {192, "A"},  {193, "A"},  {194, "A"},  {195, "A"},  {196, "AE"}, {197, "AA"},
    {198, "AE"}, {199, "C"},  {200, "E"},  {201, "E"},  {202, "E"},  {203, "E"},  {204, "I"},
    {205, "I"},  {206, "I"},  {207, "I"},  {208, "D"},  {209, "N"},  {210, "O"},  {211, "O"},
    {212, "O"},  {213, "O"},  {214, "OE"}, {216, "OE"}, {217, "U"},  {218, "U"},  {219, "U"},
    {220, "UE"}, {221, "Y"},  {223, "ss"}, {224, "a"},  {225, "a"},  {226, "a"},  {227, "a"},
    {228, "ae"}, {229, "aa"}, {230, "ae"}, {231, "c"},  {232, "e"},  {233, "e"},  {234, "e"},
    {235, "e"},  {236, "i"},  {237, "i"},  {238, "i"},  {239, "i"},  {240, "d"},  {241, "n"},
    {242, "o"},  {243, "o"},  {244, "o"},  {245, "o"},  {246, "oe"}, {248, "oe"}, {249, "u"},
    {250, "u"},  {251, "u"},  {252, "ue"}, {253, "y"},  {255, "y"},
};

// The codes above 127 without a transliteration: 128-179, 181-191, 215, 222, 247, 254.
std::set<int> BlankedCodes() {
    std::set<int> codes;
    for (int c = 128; c <= 179; ++c) {
        codes.insert(c);
    }
    for (int c = 181; c <= 191; ++c) {
        codes.insert(c);
    }
    codes.insert({215, 222, 247, 254});
    return codes;
}

// A German log entry, spelled out piece by piece.
std::string GermanEntry(int code) {
    return "\r\n             " + std::string(1, static_cast<char>(code)) + " (ascii werte " +
           std::to_string(code) + ") ist konvertiert zu leerzeichen.";
}

TEST(TranslationTable, ReplacedAndBlankedCodesSplitTheUpperHalf) {
    const std::set<int> blanked = BlankedCodes();
    EXPECT_EQ(blanked.size(), 67u);
    EXPECT_EQ(kReplacements.size(), 61u);
    for (int code = 128; code < 256; ++code) {
        SCOPED_TRACE(code);
        EXPECT_NE(kReplacements.count(code) == 1, blanked.count(code) == 1);
    }
}

TEST(TranslateLine, EveryCodeBetweenTwoLetters) {
    const std::set<int> blanked = BlankedCodes();
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        Module1 m = German();
        const std::string line = "x" + std::string(1, static_cast<char>(code)) + "y";
        m.CurrentLine = line;
        m.FileLog = "f.deu : ";
        TranslateLine(m);
        EXPECT_EQ(m.CharCode, 256);
        if (code < 128) {
            EXPECT_EQ(m.CurrentLine, line);
            EXPECT_EQ(m.FileLog, "f.deu : ");
        } else if (blanked.count(code) != 0) {
            EXPECT_EQ(m.CurrentLine, "x y");
            EXPECT_EQ(m.FileLog, "f.deu : " + GermanEntry(code));
        } else {
            EXPECT_EQ(m.CurrentLine, "x" + kReplacements.at(code) + "y");
            EXPECT_EQ(m.FileLog, "f.deu : ");
        }
        for (const char ch : m.CurrentLine) {
            if (code >= 128) {
                EXPECT_LT(static_cast<unsigned char>(ch), 128);
            }
        }
    }
}

struct LineCase {
    const char* Name;
    friend void PrintTo(const LineCase& row, std::ostream* out) { *out << row.Name; }
    std::string Line;
    std::string Translated;
    std::vector<int> Logged; // codes of the log entries, in their order
};

class TranslateLineCases : public testing::TestWithParam<LineCase> {};

TEST_P(TranslateLineCases, TranslatesAndLogs) {
    const LineCase& row = GetParam();
    Module1 m = German();
    m.CurrentLine = row.Line;
    m.FileLog = "f.deu : ";
    m.CharCode = 7;
    TranslateLine(m);
    EXPECT_EQ(m.CurrentLine, row.Translated);
    std::string log = "f.deu : ";
    for (const int code : row.Logged) {
        log += GermanEntry(code);
    }
    EXPECT_EQ(m.FileLog, log);
    EXPECT_EQ(m.CharCode, 256);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TranslateLineCases,
    testing::Values(
        LineCase{"Empty", "", "", {}},
        LineCase{"PlainAsciiUnchanged", "Hello, world! 1+1=2 ~", "Hello, world! 1+1=2 ~", {}},
        LineCase{"GraveAccentLeftToTheRun", "`quoted`", "`quoted`", {}},
        LineCase{"Mueller", "M\xFCller", "Mueller", {}},
        LineCase{"Strasse",
                 "Stra\xDF"
                 "e",
                 "Strasse",
                 {}},
        LineCase{"ARingBothCases", "\xC5 \xE5", "AA aa", {}},
        LineCase{"AcuteAccent", "l\xB4homme", "l'homme", {}},
        LineCase{"EntriesByCodeNotPosition",
                 "a\x96"
                 "b\x85"
                 "c",
                 "a b c",
                 {133, 150}},
        LineCase{"OneEntryPerCodePerLine", "\x96x\x96y\x96", " x y ", {150}},
        LineCase{"BlankedAmongReplaced",
                 "\xD6\xD7\xD8\xDE\xDF\xF6\xF7\xF8\xFE\xFF",
                 "OE OE ssoe oe y",
                 {215, 222, 247, 254}},
        LineCase{
            "ControlBytesKept", std::string("a\nb\0c\x1A", 6), std::string("a\nb\0c\x1A", 6), {}},
        LineCase{
            "GrowsByTwoLetterReplacements", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF", "AEOEUEaeoeuess", {}},
        LineCase{"LowestAndHighestBlanks", "\xFE\x80", "  ", {128, 254}}),
    test::RowName());

TEST(TranslateLine, SameCodeInAnotherLineIsLoggedAgain) {
    Module1 m = German();
    m.FileLog = "f.deu : ";
    for (const char* line : {"a\x96", "plain", "\x96z"}) {
        m.CurrentLine = line;
        TranslateLine(m);
    }
    EXPECT_EQ(m.FileLog, "f.deu : " + GermanEntry(150) + GermanEntry(150));
}

struct BeforeCase {
    const char* Name;
    friend void PrintTo(const BeforeCase& row, std::ostream* out) { *out << row.Name; }
    std::string Line;
    std::string Before;
};

class LineBeforeCases : public testing::TestWithParam<BeforeCase> {};

// LineBefore is the line as it stood before the blank replacement of code 254, the last code
// without a transliteration: 254 and 255 are still there, everything else is translated.
TEST_P(LineBeforeCases, HoldsTheLineBeforeTheLastBlankPass) {
    Module1 m = German();
    m.CurrentLine = GetParam().Line;
    TranslateLine(m);
    EXPECT_EQ(m.LineBefore, GetParam().Before);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineBeforeCases,
    testing::Values(BeforeCase{"Plain", "abc", "abc"}, BeforeCase{"Empty", "", ""},
                    BeforeCase{"LastTwoCodesUntouched", "\xFE\xFF\x96\xE4", "\xFE\xFF ae"},
                    BeforeCase{"OthersTranslated", "\xC4\x80", "AE "}),
    test::RowName());

struct EntryCase {
    const char* Name;
    friend void PrintTo(const EntryCase& row, std::ostream* out) { *out << row.Name; }
    Module1 (*Profile)();
    int Code;
    std::string Entry;
};

class LogEntryCases : public testing::TestWithParam<EntryCase> {};

TEST_P(LogEntryCases, BytesOfOneEntry) {
    Module1 m = GetParam().Profile();
    m.CurrentLine = std::string(1, static_cast<char>(GetParam().Code));
    m.FileLog = "";
    TranslateLine(m);
    EXPECT_EQ(m.FileLog, GetParam().Entry);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, LogEntryCases,
    testing::Values(
        EntryCase{"French", French, 150,
                  "\r\n             \x96 (La valeur ASCII  150) est convertie en 'espace'."},
        EntryCase{"German", German, 150,
                  "\r\n             \x96 (ascii werte 150) ist konvertiert zu leerzeichen."},
        EntryCase{"English", English, 150,
                  "\r\n             \x96 (ASCII value 150) is converted to space."},
        EntryCase{"GermanLowest", German, 128,
                  "\r\n             \x80 (ascii werte 128) ist konvertiert zu leerzeichen."},
        EntryCase{"FrenchThorn", French, 254,
                  "\r\n             \xFE (La valeur ASCII  254) est convertie en 'espace'."}),
    test::RowName());

TEST(NumberText, Rows) {
    const std::vector<std::pair<std::int64_t, std::string>> rows = {
        {0, " 0"},
        {7, " 7"},
        {150, " 150"},
        {32767, " 32767"},
        {40000, " 40000"},
        {-1, "-1"},
        {-32768, "-32768"},
        {LLONG_MAX, " 9223372036854775807"},
        {LLONG_MIN, "-9223372036854775808"},
    };
    for (const auto& [number, text] : rows) {
        SCOPED_TRACE(number);
        EXPECT_EQ(NumberText(number), text);
    }
}

TEST(TargetName, Rows) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"MAP.DEU", "MAP.txt"},
        {"a.b.deu", "a.txt"},
        {"name", "nametxt"},
        {"", "txt"},
        {"x.", "x.txt"},
        {".deu", ".txt"},
        {"..deu", ".txt"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e.deu",
         "Gr\xC3\xBC\xC3\x9F"
         "e.txt"},
        {"with:colon.deu", "with:colon.txt"},
        {"Tolvar Quennel.tqu", "Tolvar Quennel.txt"},
        {"konvertionsfehler.deu", "konvertionsfehler.txt"},
    };
    for (const auto& [source, target] : rows) {
        SCOPED_TRACE(source);
        EXPECT_EQ(TargetName(source), target);
    }
}

TEST(LogFileName, Rows) {
    Module1 accented;
    accented.LogBaseName = "Fehler\xE4";
    const std::vector<std::pair<Module1, std::string>> rows = {
        {French(), "Erreurs_de_conversion..txt"},
        {German(), "konvertionsfehler.txt"},
        {English(), "Conversionerrors.txt"},
        {accented, "Fehler\xC3\xA4.txt"},
        {Module1{}, ".txt"},
    };
    for (const auto& [m, name] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LogFileName(m), name);
    }
}

TEST(CountMessageText, Rows) {
    RunReport three;
    three.Converted = 3;
    RunReport many;
    many.Converted = 40000;
    many.Failures.push_back({"x.deu", "broken"});
    EXPECT_EQ(CountMessageText(German(), three),
              "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408:  3");
    EXPECT_EQ(CountMessageText(French(), many),
              "Nombre de fichiers convertis pour le patch RZ408:  40000");
    EXPECT_EQ(CountMessageText(English(), RunReport{}),
              "Number of converted files for Userpatch408: 0");
}

} // namespace
} // namespace rz408
