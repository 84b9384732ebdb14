// SPDX-License-Identifier: GPL-3.0-or-later
// The converter window: its drive check, the lists that follow one another, the convert
// button, its texts and its layout.

#include "FakeDrives.h"

#include "Controls.h"
#include "Conversion.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "Encoding.h"
#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "QtTestFiles.h"
#if defined(__linux__)
#include "Scratch_linux.h"

#include <unistd.h>
#endif
#include "RunMessage.h"
#include "WindowServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

using namespace rz408;
using namespace rz408::test;

Q_DECLARE_METATYPE(const rz408::LanguageProfile*)
Q_DECLARE_METATYPE(rz408::FileFailure)
Q_DECLARE_METATYPE(rz408::UnicodeSource)

namespace {

// The two languages that convert, for rows that run the conversion.
const std::pair<const char*, const LanguageProfile*> kConvertingProfiles[] = {
    {"German", &kGermanProfile}, {"French", &kFrenchProfile}};
// And every language.
const std::pair<const char*, const LanguageProfile*> kEveryProfile[] = {
    {"French", &kFrenchProfile}, {"German", &kGermanProfile}, {"English", &kEnglishProfile}};

// One converter window over a temporary folder and a made-up drive set; its message boxes
// are read and closed as a user does.
struct Rig {
    QTemporaryDir root;
    FakeDrives drives;
    Module1 module;
    WindowServices services;
    DialogCatcher dialogs;
    QStringList& messages = dialogs.messages;
    std::unique_ptr<Form1> form;
    QString previousCurrent = QDir::currentPath();

    // Each drive "<letter>..." gets the folder root/<letter> holding one file <letter>.deu.
    // The process's current folder is the folder of the drive START.
    explicit Rig(const QStringList& driveRows = {QStringLiteral("c: [SYSTEM]|3")},
                 char start = 'c') {
        InstallProgramTexts(kGermanProfile, module);
        for (const QString& row : driveRows) {
            const QStringList parts = row.split(QLatin1Char('|'));
            const QString letter = parts[0].left(1).toLower();
            QDir(root.path()).mkpath(letter);
            WriteFile(Folder(letter) + QStringLiteral("/") + letter + QStringLiteral(".deu"),
                      QByteArray("x"));
            drives.drives.push_back(FakeDrive{parts[0].toStdString(),
                                              static_cast<DriveType>(parts[1].toUInt()),
                                              Folder(letter).toStdString()});
        }
        drives.currentLetter = start;
        QDir::setCurrent(Folder(QString(QLatin1Char(start))));
        form = std::make_unique<Form1>(module, services, drives);
        form->File1->setPattern(QStringLiteral("*.deu"));
        drives.queries.clear(); // the drive list's pictures asked for the types
    }
    ~Rig() { QDir::setCurrent(previousCurrent); }

    QString Folder(const QString& letter) const {
        return root.path() + QStringLiteral("/") + letter;
    }

    // Picks the drive of LETTER in the drive list, as a user does.
    void Pick(char letter) {
        DriveListBox* list = form->findChild<DriveListBox*>(QStringLiteral("Drive1"));
        for (int i = 0; i < list->count(); ++i) {
            if (list->itemText(i).at(0) == QLatin1Char(letter)) {
                list->setCurrentIndex(i);
                return;
            }
        }
        QFAIL("no such drive");
    }

    // The row of Dir1 that stands for PATH, or -1.
    int RowOf(const QString& path) const {
        for (int i = 0; i < form->Dir1->count(); ++i) {
            if (form->Dir1->EntryPath(i) == QDir::toNativeSeparators(path)) {
                return i;
            }
        }
        return -1;
    }

    // Opens (or only selects, with "select") the entry ROW of Dir1 as a user does: "select",
    // "doubleclick" or "enter"; "write" writes its path. "doubleclick over a re-read": a file
    // comes into the open folder between the two clicks, and the lists show it before the
    // second.
    void Act(const QString& action, int row) {
        DirListBox* dir = form->Dir1;
        if (action == QLatin1String("select")) {
            dir->setCurrentRow(row);
        } else if (action.startsWith(QLatin1String("doubleclick"))) {
            // The list lays out its entries after the next turn of the event loop.
            dir->scrollToItem(dir->item(row));
            QTRY_VERIFY(
                dir->viewport()->rect().contains(dir->visualItemRect(dir->item(row)).center()));
            const QRect rect = dir->visualItemRect(dir->item(row));
            // A double click arrives as a click followed by the double click.
            QSignalSpy changes(dir, &DirListBox::Change);
            QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
            QCOMPARE(changes.size(), 0);
            if (action.endsWith(QLatin1String("re-read"))) {
                auto* files = form->findChild<FileListBox*>(QStringLiteral("File1"));
                WriteFile(dir->Path() + QStringLiteral("/neu.deu"), "n");
                QTRY_COMPARE(files->List(files->ListCount() - 1), QStringLiteral("neu.deu"));
            }
            QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
        } else if (action == QLatin1String("enter")) {
            dir->setCurrentRow(row);
            QTest::keyClick(dir, Qt::Key_Return);
        } else {
            dir->setPath(dir->EntryPath(row));
        }
    }
};

// Notes that its widget was painted.
class PaintSpy : public QObject {
public:
    PaintSpy(QWidget* widget, bool* painted) : widget_(widget), painted_(painted) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            *painted_ = true;
        }
        return false;
    }

private:
    QWidget* widget_;
    bool* painted_;
};

} // namespace

class Form1Test : public QObject {
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
    void convertButtonEndToEnd();
    void failedFileIsReportedAndWindowGoesOn_data();
    void failedFileIsReportedAndWindowGoesOn();
#if defined(__linux__)
    void copiesOnTheDiskBeforeTheyReplace();
#endif
    void runMessage_data();
    void runMessage();
    void longRun_data();
    void longRun();
    void textsBeforeAnyProfile_data();
    void textsBeforeAnyProfile();
    void everyTextFits_data();
    void everyTextFits();
    void labelFonts_data();
    void labelFonts();
    void geometryInPixels_data();
    void geometryInPixels();
    void focusAndTabOrder();
    void focusPlainlyVisible_data();
    void focusPlainlyVisible();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void centredOnFirstShowOnly();
    void closingEndsProgram();
    void backButton_data();
    void backButton();
};

void Form1Test::driveCheck_data() {
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

void Form1Test::driveCheck() {
    QFETCH(QStringList, driveRows);
    QFETCH(char, start);
    QFETCH(char, pick);
    QFETCH(int, messages);
    QFETCH(QStringList, queries);
    QFETCH(char, finalDrive);
    QFETCH(char, openFolder);

    Rig rig(driveRows, start);
    QSignalSpy dirChanges(rig.form->Dir1, &DirListBox::Change);
    rig.Pick(pick);

    QCOMPARE(rig.messages.size(), messages);
    for (const QString& message : rig.messages) {
        QCOMPARE(message, Utf8Text(kGermanProfile.DriveMessage));
    }
    QStringList asked;
    for (const std::string& q : rig.drives.queries) {
        asked << QString::fromStdString(q);
    }
    QCOMPARE(asked, queries);
    QCOMPARE(rig.form->Drive1->Drive().at(0), QLatin1Char(finalDrive));
    const QString expected = QDir::toNativeSeparators(rig.Folder(QString(QLatin1Char(openFolder))));
    QCOMPARE(rig.form->Dir1->Path(), expected);
    QCOMPARE(rig.form->File1->Path(), expected);
    QCOMPARE(rig.form->File1->ListCount(), 1);
    QCOMPARE(rig.form->File1->List(0), QString(QLatin1Char(openFolder)) + QStringLiteral(".deu"));
    QCOMPARE(dirChanges.size(), openFolder == start ? 0 : 1);
}

void Form1Test::creationRaisesNothing() {
    Rig rig({QStringLiteral("a:|2"), QStringLiteral("c: [SYSTEM]|3")}, 'c');
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(rig.form->Drive1->Drive(), QStringLiteral("c: [SYSTEM]"));
    QCOMPARE(rig.form->Dir1->Path(), QDir::toNativeSeparators(rig.Folder(QStringLiteral("c"))));
    QCOMPARE(rig.form->File1->Path(), rig.form->Dir1->Path());
}

void Form1Test::userPicksFloppy_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("clickOk"); // the message box closed by a click on OK, not Enter
    QTest::newRow("arrow key on the closed list") << "key" << false;
    QTest::newRow("click in the opened list") << "popup" << false;
    QTest::newRow("arrow key, box closed with the mouse") << "key" << true;
    QTest::newRow("click in the opened list, box closed with the mouse") << "popup" << true;
}

void Form1Test::userPicksFloppy() {
    QFETCH(QString, how);
    QFETCH(bool, clickOk);

    Rig rig({QStringLiteral("a:|2"), QStringLiteral("c: [SYSTEM]|3")}, 'c');
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    DriveListBox* list = rig.form->findChild<DriveListBox*>(QStringLiteral("Drive1"));
    QSignalSpy changes(list, &DriveListBox::Change);
    if (clickOk) {
        rig.dialogs.answer = [&rig](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            rig.messages << box->text();
            QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
        };
    }
    if (how == QLatin1String("key")) {
        QTest::keyClick(list, Qt::Key_Up);
    } else {
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        const QRect rect = view->visualRect(view->model()->index(0, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QTRY_COMPARE(changes.size(), 2); // the floppy, then C: again from the nested check
    QCOMPARE(rig.messages, QStringList{Utf8Text(kGermanProfile.DriveMessage)});
    QCOMPARE(list->Drive(), QStringLiteral("c: [SYSTEM]"));
    QCOMPARE(rig.form->Dir1->Path(), QDir::toNativeSeparators(rig.Folder(QStringLiteral("c"))));
}

void Form1Test::folderListFeedsFileList_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("opens");

    QTest::newRow("selecting a subfolder opens nothing") << "select" << false;
    QTest::newRow("double click opens it") << "doubleclick" << true;
    QTest::newRow("double click opens it over a re-read of the lists")
        << "doubleclick over a re-read" << true;
    QTest::newRow("Enter opens it") << "enter" << true;
    QTest::newRow("writing Path opens it") << "write" << true;
}

void Form1Test::folderListFeedsFileList() {
    QFETCH(QString, action);
    QFETCH(bool, opens);

    Rig rig;
    const QString sub = rig.Folder(QStringLiteral("c")) + QStringLiteral("/Spiel");
    QVERIFY(QDir().mkpath(sub));
    WriteFile(sub + QStringLiteral("/MAP.DEU"), "m");
    WriteFile(sub + QStringLiteral("/z.deu"), "z");
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    rig.form->Dir1->setPath(rig.form->Dir1->Path()); // reads the new subfolder

    DirListBox* dir = rig.form->findChild<DirListBox*>(QStringLiteral("Dir1"));
    FileListBox* files = rig.form->findChild<FileListBox*>(QStringLiteral("File1"));
    QSignalSpy changes(dir, &DirListBox::Change);
    const int row = rig.RowOf(sub);
    QVERIFY(row > dir->OpenRow());
    const QString before = files->Path();

    rig.Act(action, row);

    if (opens) {
        QCOMPARE(changes.size(), 1);
        QCOMPARE(dir->Path(), QDir::toNativeSeparators(sub));
        QCOMPARE(files->Path(), dir->Path());
        QCOMPARE(files->ListCount(), 2);
        QCOMPARE(files->List(0), QStringLiteral("MAP.DEU"));
        QCOMPARE(files->List(1), QStringLiteral("z.deu"));
        QCOMPARE(dir->item(dir->OpenRow())->text(), QStringLiteral("Spiel"));
    } else {
        QCOMPARE(changes.size(), 0);
        QCOMPARE(files->Path(), before);
        QCOMPARE(files->List(0), QStringLiteral("c.deu"));
    }
}

void Form1Test::folderThatCannotBeOpened_data() {
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
void Form1Test::folderThatCannotBeOpened() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(QString, trouble);
    QFETCH(QString, action);

    Rig rig;
    rig.form->ApplyProfile(*profile);
    const QString sub = rig.Folder(QStringLiteral("c")) + QStringLiteral("/Spiel");
    QVERIFY(QDir().mkpath(sub));
    rig.form->Dir1->setPath(rig.form->Dir1->Path()); // reads the new subfolder
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    const int row = rig.RowOf(sub);
    QVERIFY(row > rig.form->Dir1->OpenRow());

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
    const QString before = rig.form->Dir1->Path();
    QStringList entries;
    for (int i = 0; i < rig.form->Dir1->count(); ++i) {
        entries << rig.form->Dir1->EntryPath(i);
    }
    QSignalSpy changes(rig.form->Dir1, &DirListBox::Change);

    rig.Act(action, row);
    QFile::setPermissions(sub,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(rig.messages,
             QStringList{Utf8Text(profile->Messages.FolderFailed)
                             .arg(QDir::toNativeSeparators(sub),
                                  QString::fromLocal8Bit(std::make_error_code(reason).message()))});
    QCOMPARE(changes.size(), 0);
    QCOMPARE(rig.form->Dir1->Path(), before);
    QCOMPARE(rig.form->File1->Path(), before);
    QStringList after;
    for (int i = 0; i < rig.form->Dir1->count(); ++i) {
        after << rig.form->Dir1->EntryPath(i);
    }
    QCOMPARE(after, entries);
    QCOMPARE(rig.form->Dir1->currentRow(), row);
}

void Form1Test::listsFollowTheDisk_data() {
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
void Form1Test::listsFollowTheDisk() {
    QFETCH(QString, change);
    QFETCH(QString, open);
    QFETCH(QString, opened);
    QFETCH(QStringList, files);
    QFETCH(QString, newFolder);
    QFETCH(bool, onActivation);

    Rig rig;
    const QString c = rig.Folder(QStringLiteral("c"));
    WriteFile(c + QStringLiteral("/b.deu"), "b");
    QVERIFY(QDir(c).mkpath(QStringLiteral("beta")));
    QVERIFY(QDir(c).mkpath(QStringLiteral("Spiel/inner")));
    rig.form->Dir1->setPath(c + (open.isEmpty() ? QString() : QStringLiteral("/") + open));
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    DirListBox* dir = rig.form->Dir1;
    FileListBox* list = rig.form->File1;
    if (open.isEmpty()) {
        dir->setCurrentRow(rig.RowOf(c + QStringLiteral("/beta")));
    }
    list->setCurrentRow(list->ListCount() - 1); // c.deu, in c
    const QString selectedFolder = dir->EntryPath(dir->currentRow());

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
    const auto listed = [list] {
        QStringList names;
        for (int i = 0; i < list->ListCount(); ++i) {
            names << list->List(i);
        }
        return names;
    };
    if (onActivation) {
        // Sent at once, before the event loop hears of the change.
        QVERIFY(rig.form->isActiveWindow());
        QEvent activated(QEvent::ActivationChange);
        QCoreApplication::sendEvent(rig.form.get(), &activated);
        QCOMPARE(listed(), files);
    }
    QTRY_COMPARE(listed(), files);
    QTRY_COMPARE(dir->Path(), expectedFolder);
    if (!newFolder.isEmpty()) {
        QTRY_VERIFY(rig.RowOf(c + QStringLiteral("/") + newFolder) > dir->OpenRow());
    }
    QCOMPARE(list->Path(), dir->Path());
    if (open.isEmpty()) {
        QCOMPARE(list->currentItem() ? list->currentItem()->text() : QString(),
                 QStringLiteral("c.deu"));
        QCOMPARE(dir->EntryPath(dir->currentRow()), selectedFolder);
    }
    QVERIFY(rig.messages.isEmpty());
}

void Form1Test::convertButtonEndToEnd() {
    Rig rig;
    const QString folder = rig.Folder(QStringLiteral("c"));
    WriteFile(folder + QStringLiteral("/c.deu"), "Gr\xfc\xdf"
                                                 "e\r\nMan\x96ner `x`\n");
    WriteFile(folder + QStringLiteral("/other.fra"), "nicht dran");
    rig.form->File1->Refresh();
    QCOMPARE(rig.form->File1->ListCount(), 1);
    // Copied in just before the click, before any notice of it reaches the window.
    WriteFile(folder + QStringLiteral("/MAP.DEU"), "plain");

    QPushButton* convert = rig.form->findChild<QPushButton*>(QStringLiteral("Command1"));
    QCOMPARE(ExecAround([&] { QTest::mouseClick(convert, Qt::LeftButton); }), kStillRunning);

    QCOMPARE(rig.messages,
             QStringList{QStringLiteral("Anzahl der konvertierten Dateien für Userpatch408:  2")});
    QCOMPARE(ReadFile(folder + QStringLiteral("/c.txt")),
             QByteArray("Gruesse\r\nMan ner 'x'\n\r\n")); // a bare LF stays in its line
    QCOMPARE(ReadFile(folder + QStringLiteral("/MAP.txt")), QByteArray("plain\r\n"));
    QCOMPARE(ReadFile(folder + QStringLiteral("/konvertionsfehler.txt")),
             QByteArray("c.deu : \r\n             \x96 (ascii werte 150) ist konvertiert zu "
                        "leerzeichen.\r\n"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/other.txt")));
}

void Form1Test::failedFileIsReportedAndWindowGoesOn_data() {
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
void Form1Test::failedFileIsReportedAndWindowGoesOn() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(int, failing);
    QFETCH(bool, logBlocked);
    QFETCH(int, named);
    const ProgramMessages& words = profile->Messages;

    Rig rig;
    rig.form->ApplyProfile(*profile);
    const QString extension = Utf8Text(profile->FilePattern).mid(1); // ".deu"
    const QString folder = rig.Folder(QStringLiteral("c"));
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
    const QString logName = Utf8Text(LogFileName(rig.module));
    if (logBlocked) {
        QVERIFY(QDir(folder).mkdir(logName));
    }
    rig.form->File1->Refresh();
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));

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

    QPushButton* convert = rig.form->findChild<QPushButton*>(QStringLiteral("Command1"));
    for (int click = 1; click <= 2; ++click) {
        QCOMPARE(ExecAround([&] { QTest::mouseClick(convert, Qt::LeftButton); }), kStillRunning);
        QCOMPARE(rig.messages.size(), click);
        QCOMPARE(rig.messages.last().split(QLatin1Char('\n')), expected);
        QCOMPARE(ReadFile(folder + QStringLiteral("/b.txt")), QByteArray("fine\r\n"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/f00.txt")).isDir());
        QVERIFY(rig.form->isVisible());
        QVERIFY(convert->isEnabled());
    }
}

#if defined(__linux__)
// The window's run flushes each copy to the disk before the copy takes the old one's place: on
// a disk that finds itself full only when the data reaches it, the copies are named as failed
// and the old ones stay, never counted as converted over zeros.
void Form1Test::copiesOnTheDiskBeforeTheyReplace() {
    if (::geteuid() != 0) {
        QSKIP("mounting needs root");
    }
    Scratch scratch;
    if (const std::string why = scratch.MountThinDisk("thin"); !why.empty()) {
        QSKIP(why.c_str());
    }
    const QString folder = QString::fromStdString((scratch.path() / "thin" / "dir").string());
    QVERIFY(QDir().mkpath(folder));
    WriteFile(folder + QStringLiteral("/a.deu"), "Gr\xfc\xdf"
                                                 "e\r\n");
    WriteFile(folder + QStringLiteral("/b.deu"), "zwei\r\n");
    WriteFile(folder + QStringLiteral("/b.txt"), "old copy of b\r\n");
    if (const std::string why = scratch.RunOutOfRoom("thin", PathOf(folder)); !why.empty()) {
        QSKIP(why.c_str());
    }

    Rig rig;
    rig.form->findChild<DirListBox*>(QStringLiteral("Dir1"))->setPath(folder);
    QCOMPARE(ExecAround([&] {
                 QTest::mouseClick(rig.form->findChild<QPushButton*>(QStringLiteral("Command1")),
                                   Qt::LeftButton);
             }),
             kStillRunning);
    QCOMPARE(scratch.RemountImage("thin"), std::string());

    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(rig.messages[0].section(QLatin1Char('\n'), 2, 2),
             Utf8Text(kGermanProfile.Messages.FilesFailed).arg(2));
    QCOMPARE(ReadFile(folder + QStringLiteral("/a.txt")), QByteArray("<missing>"));
    QCOMPARE(ReadFile(folder + QStringLiteral("/b.txt")), QByteArray("old copy of b\r\n"));
}
#endif

// A failure of source NAME as the run reports it.
FileFailure Failed(const char* name, FileFailure::Action action, const char* file,
                   const char* cause, const char* reason = "") {
    FileFailure failure;
    failure.name = name;
    failure.reason = reason;
    failure.action = action;
    failure.file = file;
    failure.cause = cause;
    return failure;
}

void Form1Test::runMessage_data() {
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
    log.name = "konvertionsfehler.txt";
    log.reason = "Permission denied";
    log.kind = FileFailure::Kind::LogFile;

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
void Form1Test::runMessage() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(int, converted);
    QFETCH(QList<FileFailure>, failures);
    QFETCH(QList<UnicodeSource>, unicode);
    QFETCH(QStringList, expected);

    Module1 m;
    InstallProgramTexts(*profile, m);
    RunReport report;
    report.converted = static_cast<std::uint64_t>(converted);
    report.failures.assign(failures.begin(), failures.end());
    report.unicodeSources.assign(unicode.begin(), unicode.end());
    expected.prepend(Utf8Text(CountMessageText(m, report)));
    expected.replaceInStrings(QRegularExpression(QStringLiteral("^@$")), QString());
    const QString message = RunMessage(m, profile->Messages, report);
    QCOMPARE(message.split(QLatin1Char('\n')), expected);
    // Each source that failed is named once.
    for (const FileFailure& failure : failures) {
        if (failure.kind == FileFailure::Kind::Source) {
            QCOMPARE(message.count(Utf8Text(failure.name)), 1);
        }
    }
}

void Form1Test::longRun_data() {
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

// A run goes on a thread of its own; one longer than kProgressDelayMs shows a progress dialog
// in the language chosen, with files done of files listed and a Cancel button. Cancel (or
// Escape, Back, closing the window) stops the run after the file being written: every copy
// whole or untouched, the log written for what was converted.
void Form1Test::longRun() {
    QFETCH(const LanguageProfile*, profile);
    QFETCH(int, holdAt);
    QFETCH(QString, action);
    QFETCH(int, converted);
    QFETCH(bool, counted);
    QFETCH(bool, ends);
    const ProgramMessages& words = profile->Messages;
    constexpr int kListed = 6;

    Rig rig;
    rig.form->ApplyProfile(*profile);
    const QString extension = Utf8Text(profile->FilePattern).mid(1);
    const QString folder = rig.Folder(QStringLiteral("c"));
    QFile::remove(folder + QStringLiteral("/c.deu"));
    for (int i = 1; i <= kListed; ++i) {
        WriteFile(folder + QStringLiteral("/s%1").arg(i) + extension, "\x96");
    }
    rig.form->File1->Refresh();
    QWidget start;
    connect(rig.form.get(), &Form1::Back, &start, &QWidget::show);
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));

    Hold hold(static_cast<std::size_t>(holdAt));
    rig.form->SetAfterFileHook([&hold](std::size_t done) { hold(done); });
    int progressDialogs = 0;
    QStringList seen; // the progress dialog's title, text, count and button
    QString stopping;
    bool repainted = false;
    int lastCount = 0; // the files done the dialog showed last
    rig.dialogs.AnswerProgress([&](QProgressDialog* progress) {
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
        auto* painted = new PaintSpy(rig.form.get(), &repainted);
        rig.form->update();
        QTRY_VERIFY(repainted);
        delete painted;

        if (action == QLatin1String("cancel") || action == QLatin1String("escape")) {
            if (action == QLatin1String("cancel")) {
                QTest::mouseClick(cancel, Qt::LeftButton);
            } else {
                QTest::keyClick(progress, Qt::Key_Escape);
            }
            // Released once the dialog waits for the file being written.
            QTimer::singleShot(0, progress, [&hold, &stopping, progress, cancel] {
                stopping =
                    progress->labelText() + QStringLiteral("|") +
                    (cancel->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
                hold.Release();
            });
            return;
        }
        if (action == QLatin1String("wait")) {
            // The window takes no input meanwhile: its back button does nothing.
            QTest::mouseClick(rig.form->findChild<QPushButton*>(QStringLiteral("Command2")),
                              Qt::LeftButton);
        } else if (action == QLatin1String("close")) {
            rig.form->close();
        } else if (action == QLatin1String("back")) {
            rig.form->Command2->click();
        }
        hold.Release();
    });

    QPushButton* convert = rig.form->Command1;
    QCOMPARE(ExecAround([&] { QTest::mouseClick(convert, Qt::LeftButton); }),
             ends ? 0 : kStillRunning);

    QVERIFY(hold.offThread.load());
    // (A run not held may still last long enough for the dialog on a loaded machine.)
    if (holdAt > 0) {
        QCOMPARE(progressDialogs, 1);
        QCOMPARE(
            seen,
            (QStringList{
                QString::fromUtf8(ProgramName), Utf8Text(words.Converting),
                Utf8Text(words.FilesDone).arg(QString::number(holdAt), QString::number(kListed)),
                Utf8Text(words.Cancel)}));
    }
    if (action == QLatin1String("cancel") || action == QLatin1String("escape")) {
        QCOMPARE(stopping, Utf8Text(words.Stopping) + QStringLiteral("|disabled"));
    }
    if (holdAt > 0 && action == QLatin1String("wait")) {
        QCOMPARE(lastCount, kListed); // the count went on after the first it showed
    }
    QCOMPARE(rig.messages,
             counted ? QStringList{Utf8Text(CountMessageText(rig.module,
                                                             [&] {
                                                                 RunReport report;
                                                                 report.converted =
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
                   QByteArray::fromStdString(rig.module.LogTextBefore) + " 150" +
                   QByteArray::fromStdString(rig.module.LogTextAfter) + "\r\n";
        }
    }
    QCOMPARE(ReadFile(folder + QStringLiteral("/") + Utf8Text(LogFileName(rig.module))), log);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
             1 + kListed + converted); // no temporary file left
    QCOMPARE(rig.form->isVisible(), !ends && action != QLatin1String("back"));
    QCOMPARE(start.isVisible(), action == QLatin1String("back"));
}

void Form1Test::textsBeforeAnyProfile_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    QTest::newRow("caption") << "Form1" << QStringLiteral("Vandrok-text konverter für Userpatch.");
    QTest::newRow("convert button, two blanks at the end")
        << "Command1" << QStringLiteral("Konvertiere DEU zu TXT  ");
    QTest::newRow("back button") << "Command2" << QStringLiteral("Ende");
    QTest::newRow("Label1 as the German profile")
        << "Label1" << Utf8Text(kGermanProfile.LabelTexts[0]);
    QTest::newRow("Label2 with double quotes")
        << "Label2"
        << QStringLiteral("Wähle den Ordner wo sich deine *.deu Dateien befinden und drücke "
                          "\"Konvertiere DEU zu TXT\".  Viel Spass mit dem Userpatch - Morrik "
                          "\"Programmer\" Halvsted. ");
    QTest::newRow("Label3 as the German profile")
        << "Label3" << Utf8Text(kGermanProfile.LabelTexts[2]);
    QTest::newRow("Label4 as the German profile")
        << "Label4" << Utf8Text(kGermanProfile.LabelTexts[3]);
    QTest::newRow("Label5 in its own words")
        << "Label5"
        << QStringLiteral("Du brauchst Drei Ordnern zu konvertieren: Hauptordner (gorvald3 oder "
                          "so ...) , danach scenario und userscen.");
    QTest::newRow("Label6 in its own words")
        << "Label6"
        << QStringLiteral("Bei neuer installation von campaigns und scenarios einfach wieder "
                          "diese programm benutzen.");
    QTest::newRow("Label7 contact")
        << "Label7" << QStringLiteral("E-mail: rz408-textconverter@example.org");
}

void Form1Test::textsBeforeAnyProfile() {
    QFETCH(QString, control);
    QFETCH(QString, text);

    Rig rig;
    if (control == QLatin1String("Form1")) {
        QCOMPARE(rig.form->objectName(), control);
        QCOMPARE(rig.form->windowTitle(), text);
    } else if (auto* button = rig.form->findChild<QPushButton*>(control)) {
        QCOMPARE(button->text(), text);
        QVERIFY(button->isEnabled());
    } else {
        auto* label = rig.form->findChild<QLabel*>(control);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
    }
}

void Form1Test::everyTextFits_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    for (const auto& [language, profile] : kEveryProfile) {
        for (int i = 0; i < 7; ++i) {
            const QString label = QStringLiteral("Label%1").arg(i + 1);
            QTest::addRow("%s %s", language, qPrintable(label))
                << label << Utf8Text(profile->LabelTexts[static_cast<std::size_t>(i)]);
        }
        QTest::addRow("%s Command1", language) << "Command1" << Utf8Text(profile->ConvertCaption);
        QTest::addRow("%s Command2", language) << "Command2" << Utf8Text(profile->BackCaption);
    }
    Rig rig;
    for (QLabel* label : rig.form->findChildren<QLabel*>()) {
        QTest::addRow("own %s", qPrintable(label->objectName()))
            << label->objectName() << label->text();
    }
    for (QPushButton* button : rig.form->findChildren<QPushButton*>()) {
        QTest::addRow("own %s", qPrintable(button->objectName()))
            << button->objectName() << button->text();
    }
}

void Form1Test::everyTextFits() {
    QFETCH(QString, control);
    QFETCH(QString, text);

    Rig rig;
    QWidget* widget = rig.form->findChild<QWidget*>(control);
    QVERIFY(widget);
    const QFontMetrics metrics(widget->font());
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QVERIFY(label->wordWrap());
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, label->width(), 100000),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        qInfo("%s (%s): %d of %d pixels high, %d of %d wide", qPrintable(control),
              qPrintable(QFontInfo(label->font()).family()), needed.height(), label->height(),
              needed.width(), label->width());
        QVERIFY2(needed.height() <= label->height(),
                 qPrintable(QStringLiteral("needs %1 pixels").arg(needed.height())));
        QVERIFY(needed.width() <= label->width());
    } else {
        // A caption on one line, inside the button's frame.
        const int needed = metrics.horizontalAdvance(text.trimmed()) + 8;
        qInfo("%s (%s): %d of %d pixels wide", qPrintable(control),
              qPrintable(QFontInfo(widget->font()).family()), needed, widget->width());
        QVERIFY2(needed <= widget->width(),
                 qPrintable(QStringLiteral("needs %1 pixels").arg(needed)));
    }
}

void Form1Test::labelFonts_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");

    QTest::newRow("Label1 regular") << "Label1" << false << false;
    QTest::newRow("Label3 regular") << "Label3" << false << false;
    QTest::newRow("Label4 regular") << "Label4" << false << false;
    QTest::newRow("Label2 bold") << "Label2" << true << false;
    QTest::newRow("Label5 bold") << "Label5" << true << false;
    QTest::newRow("Label6 bold") << "Label6" << true << false;
    QTest::newRow("Label7 bold italic") << "Label7" << true << true;
}

void Form1Test::labelFonts() {
    QFETCH(QString, label);
    QFETCH(bool, bold);
    QFETCH(bool, italic);

    Rig rig;
    auto* widget = rig.form->findChild<QLabel*>(label);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(font.pointSizeF(), 9.75);
    QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
    QCOMPARE(font.italic(), italic);
    QCOMPARE(widget->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(widget->wordWrap());
    QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    // The face in use is "MS Sans Serif" or a narrow stand-in, never a wider one.
    const QString face = QFontInfo(font).family();
    QVERIFY2(face == QLatin1String("MS Sans Serif") || face.endsWith(QLatin1String("Narrow")),
             qPrintable(face));
}

void Form1Test::geometryInPixels_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Drive1") << "Drive1" << QRect(105, 105, 2220, 315);
    QTest::newRow("Dir1") << "Dir1" << QRect(105, 525, 2220, 2565);
    QTest::newRow("File1") << "File1" << QRect(2310, 105, 1695, 3015);
    QTest::newRow("Command1") << "Command1" << QRect(105, 3255, 2220, 435);
    QTest::newRow("Command2") << "Command2" << QRect(2415, 3255, 1590, 435);
    QTest::newRow("Label1") << "Label1" << QRect(4095, 105, 6840, 1065);
    QTest::newRow("Label3") << "Label3" << QRect(4095, 1200, 6840, 960);
    QTest::newRow("Label4") << "Label4" << QRect(4095, 2205, 6840, 1695);
    QTest::newRow("Label5") << "Label5" << QRect(105, 3990, 10830, 540);
    QTest::newRow("Label2") << "Label2" << QRect(105, 4620, 10830, 645);
    QTest::newRow("Label6") << "Label6" << QRect(105, 5355, 10830, 540);
    QTest::newRow("Label7") << "Label7" << QRect(105, 5985, 10830, 330);
    QTest::newRow("client area") << "Form1" << QRect(0, 0, 11010, 6375);
}

void Form1Test::geometryInPixels() {
    QFETCH(QString, control);
    QFETCH(QRect, twips);

    Rig rig;
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    if (control == QLatin1String("Form1")) {
        QCOMPARE(rig.form->size(), pixels.size());
        // Nothing moves when the window changes its size.
        const QRect before = rig.form->Label4->geometry();
        rig.form->resize(300, 200);
        QCOMPARE(rig.form->Label4->geometry(), before);
    } else {
        QWidget* widget = rig.form->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), pixels);
    }
}

void Form1Test::focusAndTabOrder() {
    Rig rig;
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QCOMPARE(QApplication::focusWidget(), rig.form->Drive1);
    const QStringList order{QStringLiteral("Dir1"), QStringLiteral("File1"),
                            QStringLiteral("Command1"), QStringLiteral("Command2"),
                            QStringLiteral("Drive1")};
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
}

void Form1Test::focusPlainlyVisible_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("empty"); // the list holds nothing; Tab brings the focus
    QTest::newRow("drive list") << "Drive1" << false;
    QTest::newRow("folder list") << "Dir1" << false;
    QTest::newRow("file list") << "File1" << false;
    QTest::newRow("empty file list, by Tab") << "File1" << true;
}

// Taking the focus changes the look of the list's current entry plainly, or of the whole list
// when it holds none: along at least its whole outline, by a contrast of 3 to 1 or more.
void Form1Test::focusPlainlyVisible() {
    QFETCH(QString, control);
    QFETCH(bool, empty);

    Rig rig;
    if (empty) {
        QVERIFY(QFile::remove(rig.Folder(QStringLiteral("c")) + QStringLiteral("/c.deu")));
        rig.form->findChild<FileListBox*>(QStringLiteral("File1"))->Refresh();
    }
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QWidget* list = rig.form->findChild<QWidget*>(control);
    QVERIFY(list);
    QWidget* before =
        rig.form->findChild<QWidget*>(empty ? QStringLiteral("Dir1") : QStringLiteral("Command2"));
    before->setFocus();
    QTRY_VERIFY(before->hasFocus());
    QImage without = list->grab().toImage();
    if (empty) {
        QTest::keyClick(before, Qt::Key_Tab);
    } else {
        list->setFocus();
    }
    QTRY_VERIFY(list->hasFocus());
    QImage with = list->grab().toImage();
    if (control != QLatin1String("Drive1")) {
        // The current entry only, the same entry in both pictures; in an empty list the whole
        // inside. The pictures count device pixels, the list logical ones.
        auto* view = qobject_cast<QAbstractItemView*>(list);
        QCOMPARE(view->model()->rowCount() == 0, empty);
        const QRect part =
            empty ? view->viewport()->geometry()
                  : view->visualRect(view->currentIndex()).translated(view->viewport()->pos());
        QVERIFY(part.isValid());
        const qreal ratio = with.devicePixelRatio();
        const QRect pixels(part.topLeft() * ratio, part.size() * ratio);
        without = without.copy(pixels);
        with = with.copy(pixels);
    }
    QCOMPARE(with.size(), without.size());
    int changed = 0;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            changed += Contrast(QColor(with.pixel(x, y)), QColor(without.pixel(x, y))) >= 3.0;
        }
    }
    const int outline = 2 * (with.width() + with.height());
    QVERIFY2(changed >= outline,
             qPrintable(
                 QStringLiteral("%1 pixels changed plainly, %2 wanted").arg(changed).arg(outline)));
}

void Form1Test::enterPressesTheFocusedButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<bool>("goesBack");

    QTest::newRow("Enter on the convert button")
        << "Command1" << int(Qt::Key_Return) << true << false;
    QTest::newRow("keypad Enter on the convert button")
        << "Command1" << int(Qt::Key_Enter) << true << false;
    QTest::newRow("Enter on the back button") << "Command2" << int(Qt::Key_Return) << false << true;
    QTest::newRow("Enter in the file list converts nothing")
        << "File1" << int(Qt::Key_Return) << false << false;
    QTest::newRow("Enter in the drive list converts nothing")
        << "Drive1" << int(Qt::Key_Return) << false << false;
}

// Enter presses the button that has the focus, as Space does; in a list it presses no button.
void Form1Test::enterPressesTheFocusedButton() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, converts);
    QFETCH(bool, goesBack);

    Rig rig;
    QWidget start;
    connect(rig.form.get(), &Form1::Back, &start, &QWidget::show);
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QWidget* target = rig.form->findChild<QWidget*>(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QCOMPARE(ExecAround([&] { QTest::keyClick(target, Qt::Key(key), modifiers); }), kStillRunning);

    const QString log = rig.Folder(QStringLiteral("c")) + QStringLiteral("/konvertionsfehler.txt");
    QCOMPARE(QFile::exists(log), converts);
    QCOMPARE(rig.messages.size(), converts ? 1 : 0);
    QCOMPARE(rig.form->isVisible(), !goesBack);
    QCOMPARE(start.isVisible(), goesBack);
}

void Form1Test::centredOnFirstShowOnly() {
    Rig rig;
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    const QRect area = rig.form->screen()->availableGeometry();
    const QRect frame = rig.form->frameGeometry();
    QVERIFY(area.width() > frame.width() && area.height() > frame.height());
    QVERIFY(qAbs(frame.left() - area.left() - (area.right() - frame.right())) <= 1);
    QVERIFY(qAbs(frame.top() - area.top() - (area.bottom() - frame.bottom())) <= 1);

    // Hidden and shown again, it stands where the user left it.
    const QPoint left = frame.topLeft() + QPoint(20, 10);
    rig.form->move(left);
    rig.form->hide();
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    QCOMPARE(rig.form->frameGeometry().topLeft(), left);
}

// Closed through its title bar, the window ends the program: another window open closes too.
void Form1Test::closingEndsProgram() {
    Rig rig;
    QWidget other;
    other.show();
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    QCOMPARE(ExecAround([&] { rig.form->close(); }), 0);
    QVERIFY(!rig.form->isVisible());
    QVERIFY(!other.isVisible());
}

void Form1Test::backButton_data() {
    QTest::addColumn<bool>("withStartWindow");
    QTest::newRow("says Back: the start window shows") << true;
    QTest::newRow("with nobody to hear it, ends the program") << false;
}

void Form1Test::backButton() {
    QFETCH(bool, withStartWindow);

    Rig rig;
    QWidget start;
    if (withStartWindow) {
        connect(rig.form.get(), &Form1::Back, &start, &QWidget::show);
    }
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    const QString folder = rig.form->Dir1->Path();
    QCOMPARE(ExecAround([&] {
                 QTest::mouseClick(rig.form->findChild<QPushButton*>(QStringLiteral("Command2")),
                                   Qt::LeftButton);
             }),
             withStartWindow ? kStillRunning : 0);
    QVERIFY(!rig.form->isVisible());
    QCOMPARE(start.isVisible(), withStartWindow);
    QCOMPARE(rig.form->Dir1->Path(), folder);
    QCOMPARE(rig.form->File1->ListCount(), 1);
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
