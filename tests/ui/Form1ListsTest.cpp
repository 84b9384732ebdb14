// SPDX-License-Identifier: GPL-3.0-or-later
// The converter window's lists: the drive check, the folder list that feeds the file list, a
// folder that cannot be opened, and the lists following the disk.

#include "ConverterRig.h"
#include "QtTestFiles.h"
#include "WindowTests.h"

#include "WindowFont.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include <system_error>

using namespace rz408;
using namespace rz408::test;

namespace {

// Picks the drive of LETTER in the drive list.
void Pick(DriveListBox& list, char letter) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemText(i).at(0) == QLatin1Char(letter)) {
            list.setCurrentIndex(i);
            return;
        }
    }
    QFAIL("no such drive");
}

// Opens (or only selects, with "select") the entry ROW of the folder list as a user does:
// "select", "doubleclick" or "enter"; "write" writes its path. "doubleclick over a re-read": a
// file comes into the open folder between the two clicks, and the lists show it before the
// second.
void Act(ConverterRig& rig, const QString& action, int row) {
    DirListBox& dir = rig.Dir1();
    if (action == QLatin1String("select")) {
        dir.setCurrentRow(row);
    } else if (action.startsWith(QLatin1String("doubleclick"))) {
        QVERIFY(ShowEntry(dir, row));
        const QRect rect = dir.visualItemRect(dir.item(row));
        // A double click arrives as a click followed by the double click.
        QSignalSpy changes(&dir, &DirListBox::Change);
        QTest::mouseClick(dir.viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(changes.size(), 0);
        if (action.endsWith(QLatin1String("re-read"))) {
            WriteFile(dir.Path() + QStringLiteral("/neu.deu"), "n");
            QTRY_COMPARE(Entries(rig.File1()).value(rig.File1().count() - 1),
                         QStringLiteral("neu.deu"));
        }
        QTest::mouseDClick(dir.viewport(), Qt::LeftButton, {}, rect.center());
    } else if (action == QLatin1String("enter")) {
        dir.setCurrentRow(row);
        QTest::keyClick(&dir, Qt::Key_Return);
    } else {
        dir.SetPath(dir.item(row)->toolTip());
    }
}

} // namespace

class Form1ListsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void driveCheck_data();
    void driveCheck();
    void creationRaisesNothing();
    void userPicksFloppy_data();
    void userPicksFloppy();
    void folderListFeedsFileList_data();
    void folderListFeedsFileList();
    void folderThatCannotBeOpened_data();
    void folderThatCannotBeOpened();
    void listsFollowTheDisk_data();
    void listsFollowTheDisk();
};

void Form1ListsTest::driveCheck_data() {
    QTest::addColumn<QStringList>("driveRows"); // entry|type of the bare root
    QTest::addColumn<char>("start");
    QTest::addColumn<char>("pick");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QStringList>("queries");
    QTest::addColumn<char>("finalDrive");
    QTest::addColumn<char>("openFolder"); // the drive whose folder Dir1 and File1 show

    const QString c = QStringLiteral("c: [SYSTEM]|3");
    QTest::newRow("floppy refused, back to C through the nested check")
        << QStringList{QStringLiteral("a:|2"), c, QStringLiteral("d: [DATA]|3")} << 'd' << 'a' << 1
        << QStringList{QStringLiteral("a:\\"), QStringLiteral("c: [SYSTEM]\\")} << 'c' << 'c';
    QTest::newRow("USB stick refused")
        << QStringList{c, QStringLiteral("e:|2")} << 'c' << 'e' << 1
        << QStringList{QStringLiteral("e:\\"), QStringLiteral("c: [SYSTEM]\\")} << 'c' << 'c';
    QTest::newRow("optical drive refused")
        << QStringList{c, QStringLiteral("d: [DATA]|3"), QStringLiteral("f:|5")} << 'd' << 'f' << 1
        << QStringList{QStringLiteral("f:\\"), QStringLiteral("c: [SYSTEM]\\")} << 'c' << 'c';
    QTest::newRow("labelled fixed disk accepted")
        << QStringList{c, QStringLiteral("d: [DATA]|3")} << 'c' << 'd' << 0
        << QStringList{QStringLiteral("d: [DATA]\\")} << 'd' << 'd';
    QTest::newRow("unlabelled fixed disk accepted by its readable name")
        << QStringList{c, QStringLiteral("d: [Spiele]|3")} << 'c' << 'd' << 0
        << QStringList{QStringLiteral("d: [Spiele]\\")} << 'd' << 'd';
    QTest::newRow("network drive accepted")
        << QStringList{c, QStringLiteral("n: [\\\\server\\games]|4")} << 'c' << 'n' << 0
        << QStringList{QStringLiteral("n: [\\\\server\\games]\\")} << 'n' << 'n';
    QTest::newRow("RAM disk accepted")
        << QStringList{c, QStringLiteral("r: [ram]|6")} << 'c' << 'r' << 0
        << QStringList{QStringLiteral("r: [ram]\\")} << 'r' << 'r';
    QTest::newRow("back to C from elsewhere accepted")
        << QStringList{c, QStringLiteral("d: [DATA]|3")} << 'd' << 'c' << 0
        << QStringList{QStringLiteral("c: [SYSTEM]\\")} << 'c' << 'c';
    QTest::newRow("C itself refused: one message, no loop")
        << QStringList{QStringLiteral("c:|2"), QStringLiteral("d: [DATA]|3")} << 'd' << 'c' << 1
        << QStringList{QStringLiteral("c:\\")} << 'c' << 'd';
    QTest::newRow("floppy, then C refused too: two messages")
        << QStringList{QStringLiteral("a:|2"), QStringLiteral("c:|2"),
                       QStringLiteral("d: [DATA]|3")}
        << 'd' << 'a' << 2 << QStringList{QStringLiteral("a:\\"), QStringLiteral("c:\\")} << 'c'
        << 'd';
}

void Form1ListsTest::driveCheck() {
    QFETCH(QStringList, driveRows);
    QFETCH(char, start);
    QFETCH(char, pick);
    QFETCH(int, messages);
    QFETCH(QStringList, queries);
    QFETCH(char, finalDrive);
    QFETCH(char, openFolder);

    ConverterRig rig(driveRows, start);
    QSignalSpy dirChanges(&rig.Dir1(), &DirListBox::Change);
    Pick(rig.Drive1(), pick);

    QCOMPARE(rig.Messages.size(), messages);
    for (const QString& message : rig.Messages) {
        QCOMPARE(message, Utf8Text(kGermanProfile.DriveMessage));
    }
    QStringList asked;
    for (const std::string& q : rig.Drives.Queries) {
        asked << QString::fromStdString(q);
    }
    QCOMPARE(asked, queries);
    QCOMPARE(rig.Drive1().Drive().at(0), QLatin1Char(finalDrive));
    const QString expected = QDir::toNativeSeparators(rig.Folder(openFolder));
    QCOMPARE(rig.Dir1().Path(), expected);
    QCOMPARE(rig.File1().Path(), expected);
    QCOMPARE(Entries(rig.File1()), QStringList{QString(QLatin1Char(openFolder)) + ".deu"});
    QCOMPARE(dirChanges.size(), openFolder == start ? 0 : 1);
}

void Form1ListsTest::creationRaisesNothing() {
    ConverterRig rig({QStringLiteral("a:|2"), QStringLiteral("c: [SYSTEM]|3")}, 'c');
    QVERIFY(rig.Messages.isEmpty());
    QCOMPARE(rig.Drive1().Drive(), QStringLiteral("c: [SYSTEM]"));
    QCOMPARE(rig.Dir1().Path(), QDir::toNativeSeparators(rig.Folder('c')));
    QCOMPARE(rig.File1().Path(), rig.Dir1().Path());
}

void Form1ListsTest::userPicksFloppy_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("clickOk"); // the message box closed by a click on OK, not Enter
    QTest::newRow("arrow key on the closed list") << "key" << false;
    QTest::newRow("click in the opened list") << "popup" << false;
    QTest::newRow("arrow key, box closed with the mouse") << "key" << true;
    QTest::newRow("click in the opened list, box closed with the mouse") << "popup" << true;
}

void Form1ListsTest::userPicksFloppy() {
    QFETCH(QString, how);
    QFETCH(bool, clickOk);

    ConverterRig rig({QStringLiteral("a:|2"), QStringLiteral("c: [SYSTEM]|3")}, 'c');
    QVERIFY(rig.ShowActive());
    DriveListBox& list = rig.Drive1();
    QSignalSpy changes(&list, &DriveListBox::Change);
    if (clickOk) {
        rig.Dialogs.Answer = [&rig](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            rig.Messages << box->text();
            QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
        };
    }
    if (how == QLatin1String("key")) {
        QTest::keyClick(&list, Qt::Key_Up);
    } else {
        list.showPopup();
        QAbstractItemView* view = list.view();
        QTRY_VERIFY(view->isVisible());
        const QRect rect = view->visualRect(view->model()->index(0, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QTRY_COMPARE(changes.size(), 2); // the floppy, then C: again from the nested check
    QCOMPARE(rig.Messages, QStringList{Utf8Text(kGermanProfile.DriveMessage)});
    QCOMPARE(list.Drive(), QStringLiteral("c: [SYSTEM]"));
    QCOMPARE(rig.Dir1().Path(), QDir::toNativeSeparators(rig.Folder('c')));
}

void Form1ListsTest::folderListFeedsFileList_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("opens");

    QTest::newRow("selecting a subfolder opens nothing") << "select" << false;
    QTest::newRow("double click opens it") << "doubleclick" << true;
    QTest::newRow("double click opens it over a re-read of the lists")
        << "doubleclick over a re-read" << true;
    QTest::newRow("Enter opens it") << "enter" << true;
    QTest::newRow("writing Path opens it") << "write" << true;
}

void Form1ListsTest::folderListFeedsFileList() {
    QFETCH(QString, action);
    QFETCH(bool, opens);

    ConverterRig rig;
    const QString sub = rig.Folder('c') + QStringLiteral("/Spiel");
    QVERIFY(QDir().mkpath(sub));
    WriteFile(sub + QStringLiteral("/MAP.DEU"), "m");
    WriteFile(sub + QStringLiteral("/z.deu"), "z");
    QVERIFY(rig.Show());
    DirListBox& dir = rig.Dir1();
    FileListBox& files = rig.File1();
    dir.SetPath(dir.Path()); // reads the new subfolder
    QSignalSpy changes(&dir, &DirListBox::Change);
    const int row = RowOf(dir, sub);
    QVERIFY(row > RowOf(dir, dir.Path()));
    const QString before = files.Path();

    Act(rig, action, row);

    if (opens) {
        QCOMPARE(changes.size(), 1);
        QCOMPARE(dir.Path(), QDir::toNativeSeparators(sub));
        QCOMPARE(files.Path(), dir.Path());
        QCOMPARE(Entries(files), (QStringList{"MAP.DEU", "z.deu"}));
        QCOMPARE(dir.item(RowOf(dir, dir.Path()))->text(), QStringLiteral("Spiel"));
    } else {
        QCOMPARE(changes.size(), 0);
        QCOMPARE(files.Path(), before);
        QCOMPARE(Entries(files), QStringList{"c.deu"});
    }
}

void Form1ListsTest::folderThatCannotBeOpened_data() {
    QTest::addColumn<const LanguageProfile*>("profile");
    QTest::addColumn<QString>("trouble"); // what became of the folder once it was listed
    QTest::addColumn<QString>("action");

    for (const char* action : {"doubleclick", "enter"}) {
        for (const char* trouble : {"gone", "a file now", "unreadable"}) {
            QTest::addRow("%s, %s", trouble, action) << &kGermanProfile << trouble << action;
        }
    }
    QTest::newRow("French, gone, enter") << &kFrenchProfile << "gone"
                                         << "enter";
    QTest::newRow("English preview, gone, double click") << &kEnglishProfile << "gone"
                                                         << "doubleclick";
}

// A folder that cannot be opened is named with the reason, once, in the language chosen; the
// list stays where it was, the selection on the folder the user tried.
void Form1ListsTest::folderThatCannotBeOpened() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(QString, trouble);
    QFETCH(QString, action);

    ConverterRig rig;
    rig.Form->ApplyProfile(*profile);
    const QString sub = rig.Folder('c') + QStringLiteral("/Spiel");
    QVERIFY(QDir().mkpath(sub));
    DirListBox& dir = rig.Dir1();
    dir.SetPath(dir.Path()); // reads the new subfolder
    QVERIFY(rig.Show());
    const int row = RowOf(dir, sub);
    QVERIFY(row > RowOf(dir, dir.Path()));

    std::errc reason = std::errc::no_such_file_or_directory;
    if (trouble == QLatin1String("gone")) {
        QVERIFY(QDir(sub).removeRecursively());
    } else if (trouble == QLatin1String("a file now")) {
        QVERIFY(QDir(sub).removeRecursively());
        WriteFile(sub, "x");
        reason = std::errc::not_a_directory;
    } else {
        QVERIFY(QFile::setPermissions(sub, QFileDevice::WriteOwner));
        if (QDir(sub).isReadable()) {
            QSKIP("a folder of mode 200 stays readable here (root)");
        }
        reason = std::errc::permission_denied;
    }
    const QString before = dir.Path();
    const QStringList entries = Tips(dir);
    QSignalSpy changes(&dir, &DirListBox::Change);

    Act(rig, action, row);
    QFile::setPermissions(sub,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(rig.Messages,
             QStringList{Utf8Text(profile->Messages.FolderFailed)
                             .arg(QDir::toNativeSeparators(sub),
                                  QString::fromLocal8Bit(std::make_error_code(reason).message()))});
    QCOMPARE(changes.size(), 0);
    QCOMPARE(dir.Path(), before);
    QCOMPARE(rig.File1().Path(), before);
    QCOMPARE(Tips(dir), entries);
    QCOMPARE(dir.currentRow(), row);
}

void Form1ListsTest::listsFollowTheDisk_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("open");      // the folder open before, below c
    QTest::addColumn<QString>("opened");    // the folder open after
    QTest::addColumn<QStringList>("files"); // File1 after
    QTest::addColumn<QString>("newFolder"); // a folder Dir1 lists after, or ""
    QTest::addColumn<bool>("onActivation"); // read again when the window is activated

    const QStringList before{"b.deu", "c.deu"};
    QTest::newRow("a source copied in")
        << "copy a.deu"
        << ""
        << "" << QStringList{"a.deu", "b.deu", "c.deu"} << "" << false;
    QTest::newRow("a source deleted") << "delete b.deu"
                                      << ""
                                      << "" << QStringList{"c.deu"} << "" << false;
    QTest::newRow("a folder made") << "make alpha"
                                   << ""
                                   << "" << before << "alpha" << false;
    QTest::newRow("the open folder deleted: its parent opens") << "delete Spiel"
                                                               << "Spiel"
                                                               << "" << before << "" << false;
    QTest::newRow("an ancestor renamed: the nearest folder still there opens")
        << "rename Spiel Spiel2"
        << "Spiel/inner"
        << "" << before << "Spiel2" << false;
    QTest::newRow("an ancestor deleted with the open folder in it: the nearest folder still "
                  "there opens")
        << "delete Spiel"
        << "Spiel/inner"
        << "" << before << "" << false;
    QTest::newRow("read again on activation, before any notice")
        << "copy a.deu"
        << ""
        << "" << QStringList{"a.deu", "b.deu", "c.deu"} << "" << true;
}

// Files and folders that come and go while the window is open show in the lists, the
// selection staying on its entry where that is still there.
void Form1ListsTest::listsFollowTheDisk() {
    QFETCH(QString, change);
    QFETCH(QString, open);
    QFETCH(QString, opened);
    QFETCH(QStringList, files);
    QFETCH(QString, newFolder);
    QFETCH(bool, onActivation);

    ConverterRig rig;
    const QString c = rig.Folder('c');
    WriteFile(c + QStringLiteral("/b.deu"), "b");
    QVERIFY(QDir(c).mkpath(QStringLiteral("beta")));
    QVERIFY(QDir(c).mkpath(QStringLiteral("Spiel/inner")));
    DirListBox& dir = rig.Dir1();
    FileListBox& list = rig.File1();
    dir.SetPath(c + (open.isEmpty() ? QString() : QStringLiteral("/") + open));
    QVERIFY(rig.ShowActive());
    if (open.isEmpty()) {
        dir.setCurrentRow(RowOf(dir, c + QStringLiteral("/beta")));
    }
    list.setCurrentRow(list.count() - 1); // c.deu, in c
    const QString selectedFolder = dir.currentItem()->toolTip();

    const QStringList words = change.split(QLatin1Char(' '));
    const QString target = c + QStringLiteral("/") + words[1];
    if (words[0] == QLatin1String("copy")) {
        WriteFile(target, "new");
    } else if (words[0] == QLatin1String("make")) {
        QVERIFY(QDir(target).mkpath(QStringLiteral(".")));
    } else if (words[0] == QLatin1String("delete")) {
        QVERIFY(QFileInfo(target).isDir() ? QDir(target).removeRecursively()
                                          : QFile::remove(target));
    } else {
        QVERIFY(QDir(c).rename(words[1], words[2]));
    }

    const QString expectedFolder =
        QDir::toNativeSeparators(opened.isEmpty() ? c : c + QStringLiteral("/") + opened);
    if (onActivation) {
        // Sent at once, before the event loop hears of the change.
        QVERIFY(rig.Form->isActiveWindow());
        QEvent activated(QEvent::ActivationChange);
        QCoreApplication::sendEvent(rig.Form.get(), &activated);
        QCOMPARE(Entries(list), files);
    }
    QTRY_COMPARE(Entries(list), files);
    QTRY_COMPARE(dir.Path(), expectedFolder);
    if (!newFolder.isEmpty()) {
        QTRY_VERIFY(RowOf(dir, c + QStringLiteral("/") + newFolder) > RowOf(dir, dir.Path()));
    }
    QCOMPARE(list.Path(), dir.Path());
    if (open.isEmpty()) {
        QCOMPARE(list.currentItem() ? list.currentItem()->text() : QString(),
                 QStringLiteral("c.deu"));
        QCOMPARE(dir.currentItem()->toolTip(), selectedFolder);
    }
    QVERIFY(rig.Messages.isEmpty());
}

QTEST_MAIN(Form1ListsTest)
#include "Form1ListsTest.moc"
