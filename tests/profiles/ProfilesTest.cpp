// SPDX-License-Identifier: GPL-3.0-or-later
// The three language profiles: every text exactly as the game's players have always seen it,
// and the program-wide texts as they reach the log file and the messages.

#include "CopyNames.h"
#include "Encoding.h"
#include "FolderListing.h"
#include "LanguageProfile.h"
#include "LineTranslation.h"
#include "Module1.h"
#include "RunReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {
namespace {

struct NamedProfile {
    const char* Name;
    const LanguageProfile* Profile;
};

const NamedProfile kProfiles[] = {
    {"French", &kFrenchProfile},
    {"German", &kGermanProfile},
    {"English", &kEnglishProfile},
};

// Every text field of a profile, by name, so that rows and loops can address them.
struct TextField {
    const char* Name;
    std::string_view (*Get)(const LanguageProfile&);
};

const TextField kTextFields[] = {
    {"WindowCaption", [](const LanguageProfile& p) { return p.WindowCaption; }},
    {"ConvertCaption", [](const LanguageProfile& p) { return p.ConvertCaption; }},
    {"BackCaption", [](const LanguageProfile& p) { return p.BackCaption; }},
    {"Label1", [](const LanguageProfile& p) { return p.LabelTexts[0]; }},
    {"Label2", [](const LanguageProfile& p) { return p.LabelTexts[1]; }},
    {"Label3", [](const LanguageProfile& p) { return p.LabelTexts[2]; }},
    {"Label4", [](const LanguageProfile& p) { return p.LabelTexts[3]; }},
    {"Label5", [](const LanguageProfile& p) { return p.LabelTexts[4]; }},
    {"Label6", [](const LanguageProfile& p) { return p.LabelTexts[5]; }},
    {"Label7", [](const LanguageProfile& p) { return p.LabelTexts[6]; }},
    {"FilePattern", [](const LanguageProfile& p) { return p.FilePattern; }},
    {"LogTextBefore", [](const LanguageProfile& p) { return p.LogTextBefore; }},
    {"LogTextAfter", [](const LanguageProfile& p) { return p.LogTextAfter; }},
    {"CountMessage", [](const LanguageProfile& p) { return p.CountMessage; }},
    {"DriveMessage", [](const LanguageProfile& p) { return p.DriveMessage; }},
    {"LogBaseName", [](const LanguageProfile& p) { return p.LogBaseName; }},
};

// The texts the desktop program adds, by name, with the number of parts ("%1", "%2") each
// takes.
struct MessageField {
    const char* Name;
    std::string_view (*Get)(const LanguageProfile&);
    int Parts;
};

#define RZ408_MESSAGE(field, parts)                                                                \
    MessageField {                                                                                 \
#field, [](const LanguageProfile& p) { return p.Messages.field; }, parts                   \
    }
const MessageField kMessageFields[] = {
    RZ408_MESSAGE(OneFileFailed, 0),  RZ408_MESSAGE(FilesFailed, 1),
    RZ408_MESSAGE(FailedFile, 2),     RZ408_MESSAGE(CannotRead, 1),
    RZ408_MESSAGE(CannotWrite, 2),    RZ408_MESSAGE(CopyIsLog, 1),
    RZ408_MESSAGE(AndMore, 1),        RZ408_MESSAGE(LogFileFailed, 2),
    RZ408_MESSAGE(OneUnicodeFile, 0), RZ408_MESSAGE(UnicodeFiles, 0),
    RZ408_MESSAGE(OneBroken, 0),      RZ408_MESSAGE(ManyBroken, 1),
    RZ408_MESSAGE(RunStopped, 1),     RZ408_MESSAGE(FolderFailed, 2),
    RZ408_MESSAGE(Converting, 0),     RZ408_MESSAGE(FilesDone, 2),
    RZ408_MESSAGE(Cancel, 0),         RZ408_MESSAGE(Stopping, 0),
};
#undef RZ408_MESSAGE

const TextField& FieldNamed(std::string_view name) {
    return *std::find_if(std::begin(kTextFields), std::end(kTextFields),
                         [name](const TextField& f) { return f.Name == name; });
}

// ---------------------------------------------------------------------------------------
// Every text, typed once more here, character for character.

struct TextRow {
    const LanguageProfile* Profile;
    const char* ProfileName;
    const char* Field;
    std::string_view Expected;
};

const std::string kContact = "E-mail: rz408-textconverter@example.org";

const TextRow kTextRows[] = {
    // French
    {&kFrenchProfile, "French", "WindowCaption",
     "Operation Gorvald textconverter pour le patch RZ408."},
    {&kFrenchProfile, "French", "ConvertCaption", "Traduit FRA au TXT"},
    {&kFrenchProfile, "French", "BackCaption", "Fin"},
    {&kFrenchProfile, "French", "Label1",
     "Ce programme permet d'utiliser le patch RZ408* avec la version française de Vandrok. "
     "Le programme fait une copie '*.txt' de tous les fichiers '*.fra' qui sont dans le "
     "dossier que vous choisissez pour le programme."},
    {&kFrenchProfile, "French", "Label2",
     "Sélectionnez le dossier où vos fichiers '*.fra' sont placés et presser le bouton "
     "'Convert FRA to TXT'. Eclatez-vous bien avec le patch RZ408.- Morrik 'Programmer' "
     "Halvsted."},
    {&kFrenchProfile, "French", "Label3",
     "En copiant les fichiers, le programme 'traduit' tous les caractères spéciaux français "
     "en valeurs qui peuvent être utilisée avec la version anglaise du programme. Les "
     "caractères spéciaux français qui sont 'traduits' sont: é to e, ô to o, ....."},
    {&kFrenchProfile, "French", "Label4",
     "Comme le patch RZ408 interdit toute valeur ASCII au delà de 127, ce programme va "
     "changer toutes les valeurs au dessus de 127 en espaces. Cela pour être sûr que le jeu "
     "ne se plantera pas à cause d'une valeur invalide. Si vous trouvez des espaces dans vos "
     "textes qui aurait du être 'traduits' en autre chose, surtout n'hésitez pas à "
     "m'envoyer un e-mail à propos du caractère qui manque, et de la valeur en laquelle il "
     "aurait du être 'traduit', ainsi je pourrais corriger mon programme."},
    {&kFrenchProfile, "French", "Label5",
     "Vous devez convertir les fichiers dans trois dossiers différents: le dossier principal "
     "'Opération Gorvald', le dossier 'scenario' et le dossier 'userscen'."},
    {&kFrenchProfile, "French", "Label6",
     "Si vous installez des nouvelles campaignes ou des nouveaux scénarios en français, "
     "utilisez de nouveau ce programme."},
    {&kFrenchProfile, "French", "Label7", kContact},
    {&kFrenchProfile, "French", "FilePattern", "*.fra"},
    {&kFrenchProfile, "French", "LogTextBefore", " (La valeur ASCII "},
    {&kFrenchProfile, "French", "LogTextAfter", ") est convertie en 'espace'."},
    {&kFrenchProfile, "French", "CountMessage",
     "Nombre de fichiers convertis pour le patch RZ408: "},
    {&kFrenchProfile, "French", "DriveMessage",
     "Ce programme peut être utilisé seulement avec des dossiers placés sur le disque dur."},
    {&kFrenchProfile, "French", "LogBaseName", "Erreurs_de_conversion."},

    // German
    {&kGermanProfile, "German", "WindowCaption", "Vandrok-text konverter für Userpatch."},
    {&kGermanProfile, "German", "ConvertCaption", "Konvertiere DEU zu TXT  "},
    {&kGermanProfile, "German", "BackCaption", "Ende"},
    {&kGermanProfile, "German", "Label1",
     "Dieses Programm macht es möglich das RZ408* Userpatch zu nutzen und gleichzeitig die "
     "deutschen Texte zu verwenden. Das Programm erstellt eine Kopie von allen *.deu Dateien "
     "in dem von dir gewählten Ordner und konvertiert diese Dateien in das txt Format."},
    {&kGermanProfile, "German", "Label2",
     "Wähle den Ordner wo sich deine *.deu Dateien befinden und drücke 'Konvertiere DEU zu "
     "TXT'.  Viel Spass mit dem Userpatch - Morrik 'Programmer' Halvsted. "},
    {&kGermanProfile, "German", "Label3",
     "Das Programm übersetzt gleichzeitig alle deutschen Spezialzeichen. ä wird ae, Ä wird "
     "AE, ö wird oe, Ö wird OE, ü wird ue, Ü wird UE und ß wird ss."},
    {&kGermanProfile, "German", "Label4",
     "Da das  RZ408* Patch keine ASCII Werte über 127 erkennt, übersetzt das "
     "Konvertierungsprogramm jene Werte als Leerzeichen, um Programmzusammenbrüche zu "
     "vermeiden. Wenn du Leerzeichen in den umgewandelten Texten findest, die in etwas "
     "anderes hätten übersetzt werden sollen, dann schicke mir bitte den Charakter der hätte "
     "übersetzt werden sollen und den Wert, in den es umgewandelt werden sollte. "},
    {&kGermanProfile, "German", "Label5",
     "Zum konvertieren brauchst du 3 Ordner: den Hauptordner (gorvald3 oder so ...), danach "
     "den scenario- und den userscenordner."},
    {&kGermanProfile, "German", "Label6",
     "Bei einer neuen installation von campaigns und scenarios, einfach wieder dieses "
     "programm verwenden."},
    {&kGermanProfile, "German", "Label7", kContact},
    {&kGermanProfile, "German", "FilePattern", "*.deu"},
    {&kGermanProfile, "German", "LogTextBefore", " (ascii werte"},
    {&kGermanProfile, "German", "LogTextAfter", ") ist konvertiert zu leerzeichen."},
    {&kGermanProfile, "German", "CountMessage",
     "Anzahl der konvertierten Dateien für Userpatch408: "},
    {&kGermanProfile, "German", "DriveMessage",
     "Dieser programm kann nur mit Ordnern auf eine Harddisk benutz werden."},
    {&kGermanProfile, "German", "LogBaseName", "konvertionsfehler"},

    // English
    {&kEnglishProfile, "English", "WindowCaption",
     "RZ408 patch textconverter for French and German Vandrok."},
    {&kEnglishProfile, "English", "ConvertCaption", "This will not work - Tolvar"},
    {&kEnglishProfile, "English", "BackCaption", "End"},
    {&kEnglishProfile, "English", "Label1",
     "This program makes it possible to use the RZ408* userpatch, and at the same time keep "
     "your French/German texts. The program makes a *.txt copy of all *.fra/deu files that "
     "resides in the folder you point the program to. "},
    {&kEnglishProfile, "English", "Label2",
     "Select the folder where your *.fra/deu files are located and press the 'Convert "
     "FRA/DEU to TXT' button. Have fun with the userpatch - Morrik 'Programmer' Halvsted."},
    {&kEnglishProfile, "English", "Label3",
     "While copying the files, the program 'translates' all French/German special "
     "characters into values that can be used with the English version of the program. "
     "French/German special characters that are 'translated' are: (Check with the readme)"},
    {&kEnglishProfile, "English", "Label4",
     "Because the RZ408 userpatch does not allow any ASCII values above 127, this program "
     "will change any other values above 127 than the above mentioned to spaces. This is "
     "done to ensure that the game does not crash because of invalid character values. If "
     "you find spaces in your texts that should have been 'translated' to something else, "
     "please don't hesitate to e-mail me of the character that is missing, and the value it "
     "should be 'translated' to, so I can make a correction for my program. "},
    {&kEnglishProfile, "English", "Label5",
     "You need to convert the files in three different folders: The main Operation "
     "Gorvald/Gorvald3 folder, the scenario folder and the userscenario folder."},
    {&kEnglishProfile, "English", "Label6",
     "If you install new campaigns or scenarios in French/german, just use this program "
     "again."},
    {&kEnglishProfile, "English", "Label7", kContact},
    {&kEnglishProfile, "English", "FilePattern", "Tolvar Quennel.tqu"},
    {&kEnglishProfile, "English", "LogTextBefore", " (ASCII value"},
    {&kEnglishProfile, "English", "LogTextAfter", ") is converted to space."},
    {&kEnglishProfile, "English", "CountMessage", "Number of converted files for Userpatch408:"},
    {&kEnglishProfile, "English", "DriveMessage",
     "This program can only be used with folders on a harddisk."},
    {&kEnglishProfile, "English", "LogBaseName", "Conversionerrors"},
};

class ProfileText : public ::testing::TestWithParam<TextRow> {};

void PrintTo(const TextRow& row, std::ostream* os) {
    *os << row.ProfileName << " " << row.Field;
}

TEST_P(ProfileText, IsExactlyTheGameText) {
    const TextRow& row = GetParam();
    const std::string_view actual = FieldNamed(row.Field).Get(*row.Profile);
    EXPECT_EQ(std::string(actual), std::string(row.Expected))
        << "length " << actual.size() << " expected " << row.Expected.size();
}

std::string TextRowName(const ::testing::TestParamInfo<TextRow>& info) {
    return std::string(info.param.ProfileName) + "_" + info.param.Field;
}

INSTANTIATE_TEST_SUITE_P(AllFields, ProfileText, ::testing::ValuesIn(kTextRows), TextRowName);

// The rows above cover every text field of every profile, none twice.
TEST(ProfileText, RowsCoverEveryField) {
    for (const NamedProfile& np : kProfiles) {
        for (const TextField& field : kTextFields) {
            SCOPED_TRACE(std::string(np.Name) + " " + field.Name);
            const auto count =
                std::count_if(std::begin(kTextRows), std::end(kTextRows), [&](const TextRow& row) {
                    return row.Profile == np.Profile && std::string_view(row.Field) == field.Name;
                });
            EXPECT_EQ(count, 1);
        }
    }
}

TEST(ProfileSwitch, OnlyFrenchAndGermanConvert) {
    EXPECT_TRUE(kFrenchProfile.ConvertEnabled);
    EXPECT_TRUE(kGermanProfile.ConvertEnabled);
    EXPECT_FALSE(kEnglishProfile.ConvertEnabled);
}

TEST(ProfileContact, Label7IsTheContactTextEverywhere) {
    EXPECT_EQ(std::string(kContactText), kContact);
    for (const NamedProfile& np : kProfiles) {
        SCOPED_TRACE(np.Name);
        // The same text, not merely equal characters: one constant feeds all three.
        EXPECT_EQ(np.Profile->LabelTexts[6].data(), kContactText.data());
    }
}

// TEXT lies in Windows-1252: encoding loses nothing, and decoding gives it back.
void ExpectWindows1252(std::string_view text) {
    const std::string encoded = Utf8ToCp1252(text);
    EXPECT_EQ(std::count(encoded.begin(), encoded.end(), '?'),
              std::count(text.begin(), text.end(), '?'));
    EXPECT_EQ(Cp1252ToUtf8(encoded), std::string(text));
    // One byte per character: UTF-8 continuation bytes are not characters.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    EXPECT_EQ(static_cast<std::ptrdiff_t>(encoded.size()), characters);
}

// Every text lies in Windows-1252, the program's added messages too.
TEST(ProfileEncoding, EveryTextIsWindows1252) {
    for (const NamedProfile& np : kProfiles) {
        for (const TextField& field : kTextFields) {
            SCOPED_TRACE(std::string(np.Name) + " " + field.Name);
            ExpectWindows1252(field.Get(*np.Profile));
        }
        for (const MessageField& field : kMessageFields) {
            SCOPED_TRACE(std::string(np.Name) + " " + field.Name);
            ExpectWindows1252(field.Get(*np.Profile));
        }
    }
}

// How often "%N" stands in TEXT.
int Occurrences(std::string_view text, int n) {
    const std::string mark = "%" + std::to_string(n);
    int count = 0;
    for (std::size_t at = text.find(mark); at != std::string_view::npos;
         at = text.find(mark, at + 1)) {
        ++count;
    }
    return count;
}

// Each added message is there in every language, with each of its parts exactly once and no
// other: a translation that drops or doubles a part would lose a name or a reason.
TEST(ProfileMessages, EveryLanguageHasEachMessageWithItsParts) {
    for (const NamedProfile& np : kProfiles) {
        for (const MessageField& field : kMessageFields) {
            SCOPED_TRACE(std::string(np.Name) + " " + field.Name);
            const std::string_view text = field.Get(*np.Profile);
            EXPECT_FALSE(text.empty());
            for (int n = 1; n <= 9; ++n) {
                EXPECT_EQ(Occurrences(text, n), n <= field.Parts ? 1 : 0) << "%" << n;
            }
        }
    }
}

// The French and German messages are their own, not the English preview's.
TEST(ProfileMessages, FrenchAndGermanAreTranslated) {
    for (const MessageField& field : kMessageFields) {
        SCOPED_TRACE(field.Name);
        const std::string_view english = field.Get(kEnglishProfile);
        if (english == "%1: %2") {
            continue; // the German list line is written the English way
        }
        EXPECT_NE(field.Get(kFrenchProfile), english);
        EXPECT_NE(field.Get(kGermanProfile), english);
    }
}

// ---------------------------------------------------------------------------------------
// The installed program-wide texts, as the log file and the messages receive them.

struct InstalledRow {
    const LanguageProfile* Profile;
    const char* ProfileName;
    std::string LogTextBefore;
    std::string LogTextAfter;
    std::string CountMessage;
    std::string DriveMessage;
    std::string LogBaseName;
};

const InstalledRow kInstalledRows[] = {
    {&kFrenchProfile, "French", " (La valeur ASCII ", ") est convertie en 'espace'.",
     "Nombre de fichiers convertis pour le patch RZ408: ",
     "Ce programme peut \xEAtre utilis\xE9 seulement avec des dossiers plac\xE9s sur le disque "
     "dur.",
     "Erreurs_de_conversion."},
    {&kGermanProfile, "German", " (ascii werte", ") ist konvertiert zu leerzeichen.",
     "Anzahl der konvertierten Dateien f\xFCr Userpatch408: ",
     "Dieser programm kann nur mit Ordnern auf eine Harddisk benutz werden.", "konvertionsfehler"},
    {&kEnglishProfile, "English", " (ASCII value", ") is converted to space.",
     "Number of converted files for Userpatch408:",
     "This program can only be used with folders on a harddisk.", "Conversionerrors"},
};

class InstalledTexts : public ::testing::TestWithParam<InstalledRow> {};

void PrintTo(const InstalledRow& row, std::ostream* os) {
    *os << row.ProfileName;
}

TEST_P(InstalledTexts, AreTheWindows1252BytesAndReplaceEarlierOnes) {
    const InstalledRow& row = GetParam();
    Module1 m;
    // Leftovers of an earlier profile and of a conversion.
    m.LogTextBefore = "old before, much longer than any of the profile texts";
    m.LogTextAfter = "old after";
    m.CountMessage = "old count";
    m.DriveMessage = "old drive";
    m.LogBaseName = "old log";
    m.CurrentLine = "line";
    m.FileLog = "log";
    m.LineBefore = "before";
    m.CharCode = 256;

    InstallProgramTexts(*row.Profile, m);

    EXPECT_EQ(m.LogTextBefore, row.LogTextBefore);
    EXPECT_EQ(m.LogTextAfter, row.LogTextAfter);
    EXPECT_EQ(m.CountMessage, row.CountMessage);
    EXPECT_EQ(m.DriveMessage, row.DriveMessage);
    EXPECT_EQ(m.LogBaseName, row.LogBaseName);
    // The conversion's own variables are not the installation's business.
    EXPECT_EQ(m.CurrentLine, "line");
    EXPECT_EQ(m.FileLog, "log");
    EXPECT_EQ(m.LineBefore, "before");
    EXPECT_EQ(m.CharCode, 256);
}

std::string InstalledRowName(const ::testing::TestParamInfo<InstalledRow>& info) {
    return info.param.ProfileName;
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, InstalledTexts, ::testing::ValuesIn(kInstalledRows),
                         InstalledRowName);

// ---------------------------------------------------------------------------------------
// What the installed texts make of the log file name, the count message and a log entry.

struct UseRow {
    const LanguageProfile* Profile;
    const char* ProfileName;
    std::string LogFileName;
    std::string CountOfThree; // UTF-8, as the batch command prints it
    std::string BlanksBeforeDigits;
    std::string EntryForCode150; // Windows-1252, as the log file holds it
};

const UseRow kUseRows[] = {
    {&kFrenchProfile, "French", "Erreurs_de_conversion..txt",
     "Nombre de fichiers convertis pour le patch RZ408:  3", "  ",
     "\r\n             \x96 (La valeur ASCII  150) est convertie en 'espace'."},
    {&kGermanProfile, "German", "konvertionsfehler.txt",
     "Anzahl der konvertierten Dateien f\xC3\xBCr Userpatch408:  3", "  ",
     "\r\n             \x96 (ascii werte 150) ist konvertiert zu leerzeichen."},
    {&kEnglishProfile, "English", "Conversionerrors.txt",
     "Number of converted files for Userpatch408: 3", " ",
     "\r\n             \x96 (ASCII value 150) is converted to space."},
};

class InstalledUse : public ::testing::TestWithParam<UseRow> {};

void PrintTo(const UseRow& row, std::ostream* os) {
    *os << row.ProfileName;
}

TEST_P(InstalledUse, LogFileName) {
    Module1 m;
    InstallProgramTexts(*GetParam().Profile, m);
    EXPECT_EQ(LogFileName(m), GetParam().LogFileName);
}

TEST_P(InstalledUse, CountMessage) {
    const UseRow& row = GetParam();
    Module1 m;
    InstallProgramTexts(*row.Profile, m);
    RunReport report;
    report.Converted = 3;
    const std::string message = CountMessageText(m, report);
    EXPECT_EQ(message, row.CountOfThree);
    // The blanks between the colon and the digits: the profile's own and the number's one.
    const auto colon = message.rfind(':');
    ASSERT_NE(colon, std::string::npos);
    EXPECT_EQ(message.substr(colon + 1, message.size() - colon - 2), row.BlanksBeforeDigits);
}

TEST_P(InstalledUse, LogEntry) {
    const UseRow& row = GetParam();
    Module1 m;
    InstallProgramTexts(*row.Profile, m);
    m.FileLog = "x : ";
    m.CurrentLine = "a\x96z";
    TranslateLine(m);
    EXPECT_EQ(m.CurrentLine, "a z");
    EXPECT_EQ(m.FileLog, "x : " + row.EntryForCode150);
}

std::string UseRowName(const ::testing::TestParamInfo<UseRow>& info) {
    return info.param.ProfileName;
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, InstalledUse, ::testing::ValuesIn(kUseRows), UseRowName);

// ---------------------------------------------------------------------------------------
// The file patterns: the game's files under French and German, none under English.

struct PatternRow {
    const LanguageProfile* Profile;
    const char* Name;
    bool Listed;
};

const PatternRow kPatternRows[] = {
    {&kFrenchProfile, "carte.fra", true},
    {&kFrenchProfile, "CARTE.FRA", true},
    {&kFrenchProfile, "carte.deu", false},
    {&kFrenchProfile, "carte.fra.txt", false},
    {&kGermanProfile, "MAP.DEU", true},
    {&kGermanProfile, "a.b.deu", true},
    {&kGermanProfile, "karte.fra", false},
    {&kGermanProfile, "karte.txt", false},
    {&kEnglishProfile, "map.deu", false},
    {&kEnglishProfile, "carte.fra", false},
    {&kEnglishProfile, "Tolvar Quennel.tqu", true},
};

TEST(ProfilePattern, ListsTheGameFilesOfItsLanguage) {
    for (const PatternRow& row : kPatternRows) {
        SCOPED_TRACE(std::string(row.Profile->FilePattern) + " / " + row.Name);
        EXPECT_EQ(MatchesPattern(row.Name, row.Profile->FilePattern), row.Listed);
    }
}

} // namespace
} // namespace rz408
