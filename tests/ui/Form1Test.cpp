// The converter window: its drive check, the lists that follow one another, the convert
// button, its texts and its layout.

#include "FakeDrives.h"

#include "DirListBox.h"
#include "DriveListBox.h"
#include "Encoding.h"
#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "QtTestFiles.h"
#include "WindowServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace rz408;
using rz408::test::DialogCatcher;
using rz408::test::ExecAround;
using rz408::test::FakeDrive;
using rz408::test::FakeDrives;
using rz408::test::kStillRunning;
using rz408::test::ReadFile;
using rz408::test::Utf8Text;
using rz408::test::WriteFile;

namespace {

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
        InstallProgramTexts(GermanProfile, module);
        for (const QString& row : driveRows) {
            const QStringList parts = row.split(QLatin1Char('|'));
            const QString letter = parts[0].left(1).toLower();
            QDir(root.path()).mkpath(letter);
            WriteFile(Folder(letter) + QStringLiteral("/") + letter + QStringLiteral(".deu"),
                      QByteArray("x"));
            drives.drives.push_back(
                FakeDrive{parts[0].toStdString(), parts[1].toUInt(), Folder(letter).toStdString()});
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
    void convertButtonEndToEnd();
    void failedFileIsReportedAndWindowGoesOn_data();
    void failedFileIsReportedAndWindowGoesOn();
    void textsBeforeAnyProfile_data();
    void textsBeforeAnyProfile();
    void everyTextFits_data();
    void everyTextFits();
    void labelFonts_data();
    void labelFonts();
    void geometryInPixels_data();
    void geometryInPixels();
    void focusAndTabOrder();
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
        QCOMPARE(message, Utf8Text(GermanProfile.DriveMessage));
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
    QCOMPARE(rig.messages, QStringList{Utf8Text(GermanProfile.DriveMessage)});
    QCOMPARE(list->Drive(), QStringLiteral("c: [SYSTEM]"));
    QCOMPARE(rig.form->Dir1->Path(), QDir::toNativeSeparators(rig.Folder(QStringLiteral("c"))));
}

void Form1Test::folderListFeedsFileList_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("opens");

    QTest::newRow("selecting a subfolder opens nothing") << "select" << false;
    QTest::newRow("double click opens it") << "doubleclick" << true;
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
    int row = -1;
    for (int i = 0; i < dir->count(); ++i) {
        if (dir->EntryPath(i) == QDir::toNativeSeparators(sub)) {
            row = i;
        }
    }
    QVERIFY(row > dir->OpenRow());
    const QString before = files->Path();

    if (action == QLatin1String("select")) {
        dir->setCurrentRow(row);
    } else if (action == QLatin1String("doubleclick")) {
        // The list lays out its entries after the next turn of the event loop.
        dir->scrollToItem(dir->item(row));
        QTRY_VERIFY(dir->viewport()->rect().contains(dir->visualItemRect(dir->item(row)).center()));
        const QRect rect = dir->visualItemRect(dir->item(row));
        // A double click arrives as a click followed by the double click.
        QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(changes.size(), 0);
        QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, rect.center());
    } else if (action == QLatin1String("enter")) {
        dir->setCurrentRow(row);
        QTest::keyClick(dir, Qt::Key_Return);
    } else {
        dir->setPath(sub);
    }

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

void Form1Test::convertButtonEndToEnd() {
    Rig rig;
    const QString folder = rig.Folder(QStringLiteral("c"));
    WriteFile(folder + QStringLiteral("/c.deu"), "Gr\xfc\xdf"
                                                 "e\r\nMan\x96ner `x`\n");
    WriteFile(folder + QStringLiteral("/MAP.DEU"), "plain");
    WriteFile(folder + QStringLiteral("/other.fra"), "nicht dran");
    rig.form->File1->Refresh();
    QCOMPARE(rig.form->File1->ListCount(), 2);

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
    QTest::addColumn<int>("failing");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("named");
    QTest::addColumn<QString>("tail");

    QTest::newRow("one file") << 1 << "1 file could not be converted:" << 1 << "";
    QTest::newRow("three files") << 3 << "3 files could not be converted:" << 3 << "";
    QTest::newRow("the first twenty of 25 named")
        << 25 << "25 files could not be converted:" << 20 << "\n... and 5 more.";
}

void Form1Test::failedFileIsReportedAndWindowGoesOn() {
    QFETCH(int, failing);
    QFETCH(QString, heading);
    QFETCH(int, named);
    QFETCH(QString, tail);

    Rig rig;
    const QString folder = rig.Folder(QStringLiteral("c"));
    QFile::remove(folder + QStringLiteral("/c.deu"));
    WriteFile(folder + QStringLiteral("/b.deu"), "fine");
    QStringList failed; // in list order: f00.deu, f01.deu, ...
    for (int i = 0; i < failing; ++i) {
        const QString base = QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0'));
        WriteFile(folder + QStringLiteral("/") + base + QStringLiteral(".deu"), "x");
        // A folder in the target's place.
        QVERIFY(QDir(folder).mkdir(base + QStringLiteral(".txt")));
        failed << base + QStringLiteral(".deu");
    }
    rig.form->File1->Refresh();
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));

    QPushButton* convert = rig.form->findChild<QPushButton*>(QStringLiteral("Command1"));
    for (int click = 1; click <= 2; ++click) {
        QCOMPARE(ExecAround([&] { QTest::mouseClick(convert, Qt::LeftButton); }), kStillRunning);
        QCOMPARE(rig.messages.size(), click);
        const QStringList lines = rig.messages.last().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0),
                 QStringLiteral("Anzahl der konvertierten Dateien für Userpatch408:  1"));
        QCOMPARE(lines.value(1), QString());
        QCOMPARE(lines.value(2), heading);
        for (int i = 0; i < named; ++i) {
            // The source as listed, then the file that failed (its copy) and the reason.
            const QString target = failed[i].chopped(4) + QStringLiteral(".txt");
            QCOMPARE(lines.value(3 + i), failed[i] + QStringLiteral(": cannot write ") + target +
                                             QStringLiteral(": Is a directory"));
        }
        QCOMPARE(lines.mid(3 + named).join(QLatin1Char('\n')), tail.mid(1));
        QCOMPARE(ReadFile(folder + QStringLiteral("/b.txt")), QByteArray("fine\r\n"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/f00.txt")).isDir());
        QVERIFY(rig.form->isVisible());
        QVERIFY(convert->isEnabled());
    }
}

void Form1Test::textsBeforeAnyProfile_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    QTest::newRow("caption") << "Form1" << QStringLiteral("Vandrok-text konverter für Userpatch.");
    QTest::newRow("convert button, two blanks at the end")
        << "Command1" << QStringLiteral("Konvertiere DEU zu TXT  ");
    QTest::newRow("back button") << "Command2" << QStringLiteral("Ende");
    QTest::newRow("Label1 as the German profile")
        << "Label1" << Utf8Text(GermanProfile.LabelTexts[0]);
    QTest::newRow("Label2 with double quotes")
        << "Label2"
        << QStringLiteral("Wähle den Ordner wo sich deine *.deu Dateien befinden und drücke "
                          "\"Konvertiere DEU zu TXT\".  Viel Spass mit dem Userpatch - Morrik "
                          "\"Programmer\" Halvsted. ");
    QTest::newRow("Label3 as the German profile")
        << "Label3" << Utf8Text(GermanProfile.LabelTexts[2]);
    QTest::newRow("Label4 as the German profile")
        << "Label4" << Utf8Text(GermanProfile.LabelTexts[3]);
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

    const std::pair<const char*, const LanguageProfile*> profiles[] = {
        {"French", &FrenchProfile}, {"German", &GermanProfile}, {"English", &EnglishProfile}};
    for (const auto& [language, profile] : profiles) {
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
    // The face in use is the classic one or a narrow stand-in, never a wider one.
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
