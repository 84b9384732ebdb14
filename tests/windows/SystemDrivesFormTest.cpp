// SPDX-License-Identifier: GPL-3.0-or-later
// The converter window over the drives of the machine, under Wine: the drive check asks
// kernel32's own GetDriveTypeA about Wine's drives, where the Linux tests use made-up drives.
// The test prefix has the fixed disks C: and Z:, a floppy drive A: and a CD-ROM drive D:
// (wine-run.sh).

#include "DirListBox.h"
#include "DriveListBox.h"
#include "DriveSystem.h"
#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "QtTestFiles.h"
#include "RunProgress.h"
#include "WindowFont.h"
#include "WindowServices.h"
#include "WindowTests.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace rz408;
using namespace rz408::test;

class SystemDrivesFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void entries();
    void pick_data();
    void pick();

private:
    QTemporaryDir m_folder; // on C:, the process's current folder
    QString m_previousCurrent;
};

void SystemDrivesFormTest::initTestCase() {
    InstallFontSubstitutes();
    QVERIFY(m_folder.isValid());
    QVERIFY2(m_folder.path().startsWith(QLatin1String("C:"), Qt::CaseInsensitive),
             qPrintable(m_folder.path()));
    WriteFile(m_folder.filePath(QStringLiteral("karte.deu")), QByteArray("x"));
    m_previousCurrent = QDir::currentPath();
    QDir::setCurrent(m_folder.path());
}

void SystemDrivesFormTest::cleanupTestCase() {
    QDir::setCurrent(m_previousCurrent);
}

// The list holds Wine's drives, a bracketed name on the fixed disks only, and stands on C:.
void SystemDrivesFormTest::entries() {
    Module1 module;
    WindowServices services;
    RunProgress progress;
    const std::unique_ptr<DriveSystem> drives = MakeSystemDrives();
    const Form1 form(module, services, *drives, progress);
    const DriveListBox& drive1 = Control<DriveListBox>(form, QStringLiteral("Drive1"));
    QStringList entries;
    for (int i = 0; i < drive1.count(); ++i) {
        entries << drive1.itemText(i);
    }
    QCOMPARE(entries.filter(QRegularExpression(QStringLiteral("^[a-z]:( \\[.+\\])?$"))), entries);
    QCOMPARE(entries.filter(QRegularExpression(QStringLiteral("^[acdz]:"))).size(), 4);
    QVERIFY2(entries.contains(QStringLiteral("a:")), qPrintable(entries.join(u',')));
    QVERIFY2(entries.contains(QStringLiteral("d:")), qPrintable(entries.join(u',')));
    QCOMPARE(entries.filter(QRegularExpression(QStringLiteral("^[cz]: \\["))).size(), 2);
    QVERIFY(drive1.Drive().startsWith(QLatin1String("c: [")));
}

void SystemDrivesFormTest::pick_data() {
    QTest::addColumn<char>("letter");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("floppy drive A: refused") << 'a' << false;
    QTest::newRow("CD-ROM drive D: refused") << 'd' << false;
    QTest::newRow("fixed disk Z: accepted") << 'z' << true;
}

// A refused drive shows the drive message and the list returns to C:, whose folder stays
// open; an accepted one opens its current folder (its root: the process works on C:).
void SystemDrivesFormTest::pick() {
    QFETCH(char, letter);
    QFETCH(bool, accepted);

    Module1 module;
    InstallProgramTexts(kGermanProfile, module);
    WindowServices services;
    RunProgress progress;
    DialogCatcher dialogs; // reads and closes the message boxes
    const QStringList& messages = dialogs.Messages;
    const std::unique_ptr<DriveSystem> drives = MakeSystemDrives();
    Form1 form(module, services, *drives, progress);
    DriveListBox& drive1 = Control<DriveListBox>(form, QStringLiteral("Drive1"));
    const DirListBox& dir1 = Control<DirListBox>(form, QStringLiteral("Dir1"));
    FileListBox& file1 = Control<FileListBox>(form, QStringLiteral("File1"));
    file1.SetPattern(QStringLiteral("*.deu"));
    const QString start = dir1.Path();
    QCOMPARE(QDir(start), QDir(m_folder.path()));

    const int row = drive1.findText(QString(QLatin1Char(letter)), Qt::MatchStartsWith);
    QVERIFY(row >= 0);
    drive1.setCurrentIndex(row);

    if (accepted) {
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'|')));
        QCOMPARE(drive1.Drive().at(0), QLatin1Char(letter));
        QCOMPARE(dir1.Path(), QString(QLatin1Char(letter)).toUpper() + QStringLiteral(":\\"));
    } else {
        QCOMPARE(messages, QStringList{Utf8Text(kGermanProfile.DriveMessage)});
        QCOMPARE(drive1.Drive().at(0), QLatin1Char('c'));
        QCOMPARE(dir1.Path(), start);
    }
    QCOMPARE(file1.Path(), dir1.Path());
    if (!accepted) {
        QCOMPARE(Entries(file1), QStringList{QStringLiteral("karte.deu")});
    }
}

QTEST_MAIN(SystemDrivesFormTest)
#include "SystemDrivesFormTest.moc"
