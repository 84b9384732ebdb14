// SPDX-License-Identifier: GPL-3.0-or-later
// The converter window's convert button: a run end to end, failed files named, copies on the
// disk before they replace the old ones, and a long run with its progress dialog.

#include "ConverterRig.h"
#include "QtTestFiles.h"

#include "CopyNames.h"
#include "RunMessage.h"
#include "RunReport.h"
#include "WindowFont.h"
#include "WindowServices.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <string>
#if defined(__linux__)
#include "Scratch_linux.h"

#include <unistd.h>
#endif

using namespace rz408;
using namespace rz408::test;

namespace {

// Notes that its widget was painted.
class PaintSpy : public QObject {
public:
    PaintSpy(QWidget* widget, bool* painted) : m_widget(widget), m_painted(painted) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint) {
            *m_painted = true;
        }
        return false;
    }

private:
    QWidget* m_widget;
    bool* m_painted;
};

} // namespace

class Form1RunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void convertButtonEndToEnd();
    void failedFileIsReportedAndWindowGoesOn_data();
    void failedFileIsReportedAndWindowGoesOn();
#if defined(__linux__)
    void copiesOnTheDiskBeforeTheyReplace();
#endif
    void longRun_data();
    void longRun();
};

void Form1RunTest::convertButtonEndToEnd() {
    ConverterRig rig;
    const QString folder = rig.Folder('c');
    WriteFile(folder + QStringLiteral("/c.deu"), "Gr\xfc\xdf"
                                                 "e\r\nMan\x96ner `x`\n");
    WriteFile(folder + QStringLiteral("/other.fra"), "nicht dran");
    // Where a name is bytes, one that is no UTF-8: the run opens it as the folder holds it.
    const std::string bytesName = "Gr\xfc\xdf"
                                  "e";
    if (kNamesAreBytes) {
        WriteFile(PathOf(folder) / (bytesName + ".deu"), "bytes\r\n");
    }
    rig.File1().Refresh();
    QCOMPARE(rig.File1().ListCount(), kNamesAreBytes ? 2 : 1);
    // Copied in just before the click, before any notice of it reaches the window.
    WriteFile(folder + QStringLiteral("/MAP.DEU"), "plain");

    QPushButton& convert = rig.Button("Command1");
    QCOMPARE(ExecAround([&] { QTest::mouseClick(&convert, Qt::LeftButton); }), kStillRunning);

    QCOMPARE(rig.Messages, QStringList{QStringLiteral("Anzahl der konvertierten Dateien für "
                                                      "Userpatch408:  %1")
                                           .arg(kNamesAreBytes ? 3 : 2)});
    if (kNamesAreBytes) {
        QCOMPARE(ReadFile(PathOf(folder) / (bytesName + ".txt")), std::string("bytes\r\n"));
    }
    QCOMPARE(ReadFile(folder + QStringLiteral("/c.txt")),
             QByteArray("Gruesse\r\nMan ner 'x'\n\r\n")); // a bare LF stays in its line
    QCOMPARE(ReadFile(folder + QStringLiteral("/MAP.txt")), QByteArray("plain\r\n"));
    QCOMPARE(ReadFile(folder + QStringLiteral("/konvertionsfehler.txt")),
             QByteArray("c.deu : \r\n             \x96 (ascii werte 150) ist konvertiert zu "
                        "leerzeichen.\r\n"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/other.txt")));
}

void Form1RunTest::failedFileIsReportedAndWindowGoesOn_data() {
    QTest::addColumn<const LanguageProfile*>("profile");
    QTest::addColumn<int>("failing");
    QTest::addColumn<bool>("logBlocked"); // a folder in the log file's place too
    QTest::addColumn<int>("named");

    for (const auto& [language, profile] : kConvertingProfiles) {
        QTest::addRow("%s, one file", language) << profile << 1 << false << 1;
        QTest::addRow("%s, three files", language) << profile << 3 << false << 3;
        QTest::addRow("%s, the first twenty of 25 named", language)
            << profile << 25 << false << int(kNamedAtMost);
        QTest::addRow("%s, three files and the log file, counted apart", language)
            << profile << 3 << true << 3;
    }
}

// Each source that failed is named with what failed, in the language chosen, and counted; the
// log file's failure stands on a line of its own and is not counted. The window goes on.
void Form1RunTest::failedFileIsReportedAndWindowGoesOn() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(int, failing);
    QFETCH(bool, logBlocked);
    QFETCH(int, named);
    const ProgramMessages& words = profile->Messages;

    ConverterRig rig;
    rig.Form->ApplyProfile(*profile);
    const QString extension = Utf8Text(profile->FilePattern).mid(1); // ".deu"
    const QString folder = rig.Folder('c');
    QFile::remove(folder + QStringLiteral("/c.deu"));
    WriteFile(folder + QStringLiteral("/b") + extension, "fine");
    QStringList failed; // in list order: f00.deu, f01.deu, ...
    for (int i = 0; i < failing; ++i) {
        const QString base = QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0'));
        WriteFile(folder + QStringLiteral("/") + base + extension, "x");
        // A folder in the target's place.
        QVERIFY(QDir(folder).mkdir(base + QStringLiteral(".txt")));
        failed << base + extension;
    }
    const QString logName = Utf8Text(LogFileName(rig.Module));
    if (logBlocked) {
        QVERIFY(QDir(folder).mkdir(logName));
    }
    rig.File1().Refresh();
    QVERIFY(rig.Show());

    const QString reason = QStringLiteral("Is a directory");
    QStringList expected{Utf8Text(profile->CountMessage) + QStringLiteral(" 1"), QString(),
                         failing == 1 ? Utf8Text(words.OneFileFailed)
                                      : Utf8Text(words.FilesFailed).arg(failing)};
    for (int i = 0; i < named; ++i) {
        // The source as listed, then the file that failed (its copy) and the reason.
        const QString target = failed[i].chopped(4) + QStringLiteral(".txt");
        expected << Utf8Text(words.FailedFile)
                        .arg(failed[i], Utf8Text(words.CannotWrite).arg(target, reason));
    }
    if (failing > named) {
        expected << Utf8Text(words.AndMore).arg(failing - named);
    }
    if (logBlocked) {
        expected << QString() << Utf8Text(words.LogFileFailed).arg(logName, reason);
    }

    QPushButton& convert = rig.Button("Command1");
    for (int click = 1; click <= 2; ++click) {
        QCOMPARE(ExecAround([&] { QTest::mouseClick(&convert, Qt::LeftButton); }), kStillRunning);
        QCOMPARE(rig.Messages.size(), click);
        QCOMPARE(rig.Messages.last().split(QLatin1Char('\n')), expected);
        QCOMPARE(ReadFile(folder + QStringLiteral("/b.txt")), QByteArray("fine\r\n"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/f00.txt")).isDir());
        QVERIFY(rig.Form->isVisible());
        QVERIFY(convert.isEnabled());
    }
}

#if defined(__linux__)
// The window's run flushes each copy to the disk before the copy takes the old one's place: on
// a disk that finds itself full only when the data reaches it, the copies are named as failed
// and the old ones stay, never counted as converted over zeros.
void Form1RunTest::copiesOnTheDiskBeforeTheyReplace() {
    if (::geteuid() != 0) {
        QSKIP("mounting needs root");
    }
    Scratch scratch;
    if (const std::string why = scratch.MountThinDisk("thin"); !why.empty()) {
        QSKIP(why.c_str());
    }
    const QString folder = QString::fromStdString((scratch.Path() / "thin" / "dir").string());
    QVERIFY(QDir().mkpath(folder));
    WriteFile(folder + QStringLiteral("/a.deu"), "Gr\xfc\xdf"
                                                 "e\r\n");
    WriteFile(folder + QStringLiteral("/b.deu"), "zwei\r\n");
    WriteFile(folder + QStringLiteral("/b.txt"), "old copy of b\r\n");
    if (const std::string why = scratch.RunOutOfRoom("thin", PathOf(folder)); !why.empty()) {
        QSKIP(why.c_str());
    }

    ConverterRig rig;
    rig.Dir1().SetPath(folder);
    QCOMPARE(ExecAround([&] { QTest::mouseClick(&rig.Button("Command1"), Qt::LeftButton); }),
             kStillRunning);
    QCOMPARE(scratch.RemountImage("thin"), std::string());

    QCOMPARE(rig.Messages.size(), 1);
    QCOMPARE(rig.Messages[0].section(QLatin1Char('\n'), 2, 2),
             Utf8Text(kGermanProfile.Messages.FilesFailed).arg(2));
    QCOMPARE(ReadFile(folder + QStringLiteral("/a.txt")), QByteArray("<missing>"));
    QCOMPARE(ReadFile(folder + QStringLiteral("/b.txt")), QByteArray("old copy of b\r\n"));
}
#endif

void Form1RunTest::longRun_data() {
    QTest::addColumn<const LanguageProfile*>("profile");
    QTest::addColumn<int>("holdAt");     // 0: no hold, a short run
    QTest::addColumn<QString>("action"); // what the user does while the progress dialog shows
    QTest::addColumn<int>("converted");
    QTest::addColumn<bool>("counted"); // the count box comes
    QTest::addColumn<bool>("ends");    // the program ends

    for (const auto& [language, profile] : kConvertingProfiles) {
        QTest::addRow("%s, a run not held converts every file", language)
            << profile << 0 << "wait" << 6 << true << false;
        QTest::addRow("%s, a long run shows its progress to the end", language)
            << profile << 2 << "wait" << 6 << true << false;
        QTest::addRow("%s, Cancel stops after the file being written", language)
            << profile << 2 << "cancel" << 2 << true << false;
    }
    QTest::newRow("Escape in the progress dialog cancels")
        << &kGermanProfile << 3 << "escape" << 3 << true << false;
    QTest::newRow("closing the window waits for the file, then ends the program")
        << &kGermanProfile << 2 << "close" << 2 << false << true;
    QTest::newRow("back waits for the file, then goes back")
        << &kGermanProfile << 2 << "back" << 2 << false << false;
}

// A run goes on a thread of its own; one longer than half a second shows a progress dialog
// in the language chosen, with files done of files listed and a Cancel button. Cancel (or
// Escape, Back, closing the window) stops the run after the file being written: every copy
// whole or untouched, the log written for what was converted.
void Form1RunTest::longRun() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(int, holdAt);
    QFETCH(QString, action);
    QFETCH(int, converted);
    QFETCH(bool, counted);
    QFETCH(bool, ends);
    const ProgramMessages& words = profile->Messages;
    constexpr int kListed = 6;

    ConverterRig rig;
    rig.Form->ApplyProfile(*profile);
    const QString extension = Utf8Text(profile->FilePattern).mid(1);
    const QString folder = rig.Folder('c');
    QFile::remove(folder + QStringLiteral("/c.deu"));
    for (int i = 1; i <= kListed; ++i) {
        WriteFile(folder + QStringLiteral("/s%1").arg(i) + extension, "\x96");
    }
    rig.File1().Refresh();
    QWidget start;
    connect(rig.Form.get(), &Form1::Back, &start, &QWidget::show);
    QVERIFY(rig.Show());

    rig.Progress.HoldAt(static_cast<std::size_t>(holdAt));
    int progressDialogs = 0;
    QStringList seen; // the progress dialog's title, text, count and button
    QString stopping;
    bool repainted = false;
    int lastCount = 0; // the files done the dialog showed last
    rig.Dialogs.AnswerProgress([&](QProgressDialog* progress) {
        ++progressDialogs;
        auto* bar = progress->findChild<QProgressBar*>();
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(bar && cancel);
        lastCount = bar->value();
        connect(bar, &QProgressBar::valueChanged, [&lastCount](int done) { lastCount = done; });
        if (holdAt == 0) {
            return; // the run goes on to its end
        }
        const QString count =
            Utf8Text(words.FilesDone).arg(QString::number(holdAt), QString::number(kListed));
        QTRY_COMPARE(bar->text(), count);
        seen << progress->windowTitle() << progress->labelText() << bar->text() << cancel->text();
        // The converter window repaints while the run goes on.
        auto* painted = new PaintSpy(rig.Form.get(), &repainted);
        rig.Form->update();
        QTRY_VERIFY(repainted);
        delete painted;

        if (action == QLatin1String("cancel") || action == QLatin1String("escape")) {
            if (action == QLatin1String("cancel")) {
                QTest::mouseClick(cancel, Qt::LeftButton);
            } else {
                QTest::keyClick(progress, Qt::Key_Escape);
            }
            // Released once the dialog waits for the file being written.
            QTimer::singleShot(0, progress, [&rig, &stopping, progress, cancel] {
                stopping =
                    progress->labelText() + QStringLiteral("|") +
                    (cancel->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
                rig.Progress.Release();
            });
            return;
        }
        if (action == QLatin1String("wait")) {
            // The window takes no input meanwhile: its back button does nothing.
            QTest::mouseClick(&rig.Button("Command2"), Qt::LeftButton);
        } else if (action == QLatin1String("close")) {
            rig.Form->close();
        } else if (action == QLatin1String("back")) {
            rig.Button("Command2").click();
        }
        rig.Progress.Release();
    });

    QCOMPARE(ExecAround([&] { QTest::mouseClick(&rig.Button("Command1"), Qt::LeftButton); }),
             ends ? 0 : kStillRunning);

    QVERIFY(rig.Progress.OffThread());
    // (A run not held may still last long enough for the dialog on a loaded machine.)
    if (holdAt > 0) {
        QCOMPARE(progressDialogs, 1);
        QCOMPARE(
            seen,
            (QStringList{
                QString::fromUtf8(kProgramName), Utf8Text(words.Converting),
                Utf8Text(words.FilesDone).arg(QString::number(holdAt), QString::number(kListed)),
                Utf8Text(words.Cancel)}));
    }
    if (action == QLatin1String("cancel") || action == QLatin1String("escape")) {
        QCOMPARE(stopping, Utf8Text(words.Stopping) + QStringLiteral("|disabled"));
    }
    if (holdAt > 0 && action == QLatin1String("wait")) {
        QCOMPARE(lastCount, kListed); // the count went on after the first it showed
    }
    QCOMPARE(rig.Messages,
             counted ? QStringList{Utf8Text(CountMessageText(rig.Module,
                                                             [&] {
                                                                 RunReport report;
                                                                 report.Converted =
                                                                     std::uint64_t(converted);
                                                                 return report;
                                                             }()))}
                     : QStringList{});
    // Every copy whole or untouched; the log holds the records of the files converted.
    QByteArray log;
    for (int i = 1; i <= kListed; ++i) {
        const QString name = QStringLiteral("s%1").arg(i);
        QCOMPARE(ReadFile(folder + QStringLiteral("/") + name + QStringLiteral(".txt")),
                 i <= converted ? QByteArray(" \r\n") : QByteArray("<missing>"));
        if (i <= converted) {
            log += (name + extension).toUtf8() + " : \r\n             \x96" +
                   QByteArray::fromStdString(rig.Module.LogTextBefore) + " 150" +
                   QByteArray::fromStdString(rig.Module.LogTextAfter) + "\r\n";
        }
    }
    QCOMPARE(ReadFile(folder + QStringLiteral("/") + Utf8Text(LogFileName(rig.Module))), log);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
             1 + kListed + converted); // no temporary file left
    QCOMPARE(rig.Form->isVisible(), !ends && action != QLatin1String("back"));
    QCOMPARE(start.isVisible(), action == QLatin1String("back"));
}

QTEST_MAIN(Form1RunTest)
#include "Form1RunTest.moc"
