// SPDX-License-Identifier: GPL-3.0-or-later
// The converter window's end-of-run message, from reports made by hand.

#include "QtTestFiles.h"
#include "WindowTests.h"

#include "LanguageProfile.h"
#include "Module1.h"
#include "RunMessage.h"
#include "RunReport.h"
#include "SourceEncoding.h"

#include <QRegularExpression>
#include <QTest>

#include <cstdint>
#include <string>

using namespace rz408;
using namespace rz408::test;

Q_DECLARE_METATYPE(rz408::FileFailure)
Q_DECLARE_METATYPE(rz408::UnicodeSource)

namespace {

// A failure of source NAME as the run reports it.
FileFailure Failed(const char* name, FileFailure::Action action, const char* file,
                   const char* cause, const char* reason = "") {
    FileFailure failure;
    failure.Name = name;
    failure.Reason = reason;
    failure.Step = action;
    failure.File = file;
    failure.Cause = cause;
    return failure;
}

} // namespace

class RunMessageTest : public QObject {
    Q_OBJECT

private slots:
    void runMessage_data();
    void runMessage();
};

void RunMessageTest::runMessage_data() {
    QTest::addColumn<const LanguageProfile*>("profile");
    QTest::addColumn<int>("converted");
    QTest::addColumn<QList<FileFailure>>("failures");
    QTest::addColumn<QList<UnicodeSource>>("unicode");
    QTest::addColumn<QStringList>("expected"); // after the count line; "@" a blank line

    using A = FileFailure::Action;
    const auto& de = kGermanProfile.Messages;
    const auto& fr = kFrenchProfile.Messages;
    const auto t = [](std::string_view text) { return Utf8Text(text); };
    FileFailure log;
    log.Name = "konvertionsfehler.txt";
    log.Reason = "Permission denied";
    log.What = FileFailure::Kind::LogFile;

    for (const auto& [language, profile] : kEveryProfile) {
        const ProgramMessages& words = profile->Messages;
        QTest::addRow("%s, a source that cannot be read, named once", language)
            << profile << 1
            << QList<FileFailure>{Failed("a.deu", A::Read, "a.deu", "Permission denied")}
            << QList<UnicodeSource>{}
            << QStringList{
                   "@", t(words.OneFileFailed),
                   t(words.FailedFile).arg("a.deu", t(words.CannotRead).arg("Permission denied"))};
    }
    QTest::newRow("a copy that would overwrite the log file")
        << &kGermanProfile << 0
        << QList<FileFailure>{Failed("konvertionsfehler.deu", A::CopyIsLog, "konvertionsfehler.txt",
                                     "")}
        << QList<UnicodeSource>{}
        << QStringList{
               "@", t(de.OneFileFailed),
               t(de.FailedFile)
                   .arg("konvertionsfehler.deu", t(de.CopyIsLog).arg("konvertionsfehler.txt"))};
    QTest::newRow("a reason given only in words goes in as it is")
        << &kFrenchProfile << 0
        << QList<FileFailure>{Failed("a.fra", A::Other, "", "", "not enough memory")}
        << QList<UnicodeSource>{}
        << QStringList{"@", t(fr.OneFileFailed),
                       t(fr.FailedFile).arg("a.fra", "not enough memory")};
    QTest::newRow("two sources and the log file: two counted, the log after them")
        << &kGermanProfile << 0
        << QList<FileFailure>{log, Failed("a.deu", A::Write, "a.txt", "No space left on device"),
                              Failed("b.deu", A::Write, "b.txt", "No space left on device")}
        << QList<UnicodeSource>{}
        << QStringList{"@",
                       t(de.FilesFailed).arg(2),
                       t(de.FailedFile)
                           .arg("a.deu", t(de.CannotWrite).arg("a.txt", "No space left on device")),
                       t(de.FailedFile)
                           .arg("b.deu", t(de.CannotWrite).arg("b.txt", "No space left on device")),
                       "@",
                       t(de.LogFileFailed).arg("konvertionsfehler.txt", "Permission denied")};
    QTest::newRow("sources read as Unicode, each encoding named")
        << &kGermanProfile << 3 << QList<FileFailure>{}
        << QList<UnicodeSource>{{"a.deu", SourceEncoding::Utf8},
                                {"b.deu", SourceEncoding::Utf16LE},
                                {"c.deu", SourceEncoding::Utf16BE}}
        << QStringList{"@", t(de.UnicodeFiles), "a.deu (UTF-8)", "b.deu (UTF-16 LE)",
                       "c.deu (UTF-16 BE)"};
    QTest::newRow("broken sequences of Unicode sources counted, in French")
        << &kFrenchProfile << 2 << QList<FileFailure>{}
        << QList<UnicodeSource>{{"a.fra", SourceEncoding::Utf8, 1},
                                {"b.fra", SourceEncoding::Utf16LE, 3}}
        << QStringList{"@", t(fr.UnicodeFiles), "a.fra (UTF-8: " + t(fr.OneBroken) + ")",
                       "b.fra (UTF-16 LE: " + t(fr.ManyBroken).arg(3) + ")"};
    QTest::newRow("a broken sequence of a UTF-8 source counted, in German")
        << &kGermanProfile << 1 << QList<FileFailure>{}
        << QList<UnicodeSource>{{"a.deu", SourceEncoding::Utf8, 1}}
        << QStringList{"@", t(de.OneUnicodeFile), "a.deu (UTF-8: " + t(de.OneBroken) + ")"};
    QList<UnicodeSource> many;
    QStringList manyLines{"@", t(de.UnicodeFiles)};
    for (int i = 0; i < 23; ++i) {
        const std::string name = "u" + std::to_string(10 + i) + ".deu";
        many.append({name, SourceEncoding::Utf8});
        if (i < int(kNamedAtMost)) {
            manyLines << QString::fromStdString(name) + " (UTF-8)";
        }
    }
    manyLines << t(de.AndMore).arg(23 - int(kNamedAtMost));
    QTest::newRow("23 sources read as Unicode, the first twenty named")
        << &kGermanProfile << 23 << QList<FileFailure>{} << many << manyLines;
    QTest::newRow("failures, the log file, then the Unicode sources")
        << &kGermanProfile << 1
        << QList<FileFailure>{Failed("a.deu", A::Read, "a.deu", "Input/output error"), log}
        << QList<UnicodeSource>{{"b.deu", SourceEncoding::Utf8}}
        << QStringList{"@",
                       t(de.OneFileFailed),
                       t(de.FailedFile).arg("a.deu", t(de.CannotRead).arg("Input/output error")),
                       "@",
                       t(de.LogFileFailed).arg("konvertionsfehler.txt", "Permission denied"),
                       "@",
                       t(de.OneUnicodeFile),
                       "b.deu (UTF-8)"};
    // Placeholders in names are names: each part goes in once, as it is.
    QTest::newRow("names that hold %1 and %2 stay as they are")
        << &kGermanProfile << 0
        << QList<FileFailure>{Failed("%2%1.deu", A::Write, "%2%1.txt", "%1 %2")}
        << QList<UnicodeSource>{}
        << QStringList{"@", t(de.OneFileFailed),
                       QStringLiteral("%2%1.deu: %2%1.txt konnte nicht geschrieben werden: %1 %2")};
}

// The end-of-run message, from reports made by hand: the count, then each kind of trouble in
// its own part, in the language chosen.
void RunMessageTest::runMessage() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(int, converted);
    QFETCH(QList<FileFailure>, failures);
    QFETCH(QList<UnicodeSource>, unicode);
    QFETCH(QStringList, expected);

    Module1 m;
    InstallProgramTexts(*profile, m);
    RunReport report;
    report.Converted = static_cast<std::uint64_t>(converted);
    report.Failures.assign(failures.begin(), failures.end());
    report.UnicodeSources.assign(unicode.begin(), unicode.end());
    expected.prepend(Utf8Text(CountMessageText(m, report)));
    expected.replaceInStrings(QRegularExpression(QStringLiteral("^@$")), QString());
    const QString message = RunMessage(m, profile->Messages, report);
    QCOMPARE(message.split(QLatin1Char('\n')), expected);
    // Each source that failed is named once.
    for (const FileFailure& failure : failures) {
        if (failure.What == FileFailure::Kind::Source) {
            QCOMPARE(message.count(Utf8Text(failure.Name)), 1);
        }
    }
}

QTEST_MAIN(RunMessageTest)
#include "RunMessageTest.moc"
