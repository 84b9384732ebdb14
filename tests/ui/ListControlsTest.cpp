// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list, the folder list and the file list on their own.

#include "FakeDrives.h"
#include "QtTestFiles.h"
#include "WindowTests.h"

#include "DirListBox.h"
#include "DriveListBox.h"
#include "FileListBox.h"

#include <QDir>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>

using namespace rz408;
using namespace rz408::test;

namespace {

// The picture of a list entry, as the list draws it.
QImage Picture(const QListWidgetItem& item) {
    return item.icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class ListControlsTest : public QObject {
    Q_OBJECT

private slots:
    void driveWrite_data();
    void driveWrite();
    void dirPathWrite_data();
    void dirPathWrite();
    void dirShowsTree();
    void filePattern_data();
    void filePattern();
    void longNameHasItsTooltip_data();
    void longNameHasItsTooltip();
    void fileNamesAsTheDiskHoldsThem_data();
    void fileNamesAsTheDiskHoldsThem();
};

void ListControlsTest::driveWrite_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("changes");

    QTest::newRow("upper-case letter") << "D:"
                                       << "d: [DATA]" << 1;
    QTest::newRow("lower-case letter alone") << "d"
                                             << "d: [DATA]" << 1;
    QTest::newRow("a whole entry") << "a:"
                                   << "a:" << 1;
    QTest::newRow("the selected drive raises nothing") << "C:"
                                                       << "c: [SYSTEM]" << 0;
    QTest::newRow("a letter of no drive changes nothing") << "q:"
                                                          << "c: [SYSTEM]" << 0;
    QTest::newRow("no letter changes nothing") << ""
                                               << "c: [SYSTEM]" << 0;
}

void ListControlsTest::driveWrite() {
    QFETCH(QString, written);
    QFETCH(QString, selected);
    QFETCH(int, changes);

    FakeDrives drives;
    drives.Drives = {{"a:", DriveType::Removable, {}},
                     {"c: [SYSTEM]", DriveType::Fixed, {}},
                     {"d: [DATA]", DriveType::Fixed, {}}};
    drives.CurrentLetter = 'c';
    DriveListBox list(drives);
    QCOMPARE(list.Drive(), QStringLiteral("c: [SYSTEM]"));
    QSignalSpy spy(&list, &DriveListBox::Change);
    // The handler sees the new drive already, inside the write.
    QString seenInside;
    connect(&list, &DriveListBox::Change, &list, [&] { seenInside = list.Drive(); });

    list.SetDrive(written);
    QCOMPARE(list.Drive(), selected);
    QCOMPARE(spy.size(), changes);
    QCOMPARE(seenInside, changes ? selected : QString());
}

void ListControlsTest::dirPathWrite_data() {
    QTest::addColumn<QString>("written"); // relative to the temporary folder; "@d" a drive text
    QTest::addColumn<bool>("removeOpenFolder");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<int>("changes");

    QTest::newRow("a subfolder") << "top/sub" << false << "top/sub" << 1;
    QTest::newRow("the open folder again raises nothing") << "top" << false << "top" << 0;
    QTest::newRow("a missing folder keeps the open one") << "top/gone" << false << "top" << 0;
    QTest::newRow("a file is no folder") << "top/file.deu" << false << "top" << 0;
    QTest::newRow("open folder removed: up to its parent") << "top/gone" << true << "" << 1;
    QTest::newRow("a drive text opens that drive's current folder")
        << "@d: [DATA]" << false << "data" << 1;
    QTest::newRow("a drive's letter alone does the same") << "@D:" << false << "data" << 1;
    QTest::newRow("a drive that is not there changes nothing") << "@q:" << false << "top" << 0;
}

void ListControlsTest::dirPathWrite() {
    QFETCH(QString, written);
    QFETCH(bool, removeOpenFolder);
    QFETCH(QString, opened);
    QFETCH(int, changes);

    QTemporaryDir root;
    const QString base = QDir(root.path()).canonicalPath();
    QVERIFY(QDir(base).mkpath(QStringLiteral("top/sub")));
    QVERIFY(QDir(base).mkpath(QStringLiteral("data")));
    WriteFile(base + QStringLiteral("/top/file.deu"), QByteArray());
    FakeDrives drives;
    drives.Drives = {
        {"c: [SYSTEM]", DriveType::Fixed, (base + QStringLiteral("/top")).toStdString()},
        {"d: [DATA]", DriveType::Fixed, (base + QStringLiteral("/data")).toStdString()}};
    const QString previous = QDir::currentPath();
    QDir::setCurrent(base + QStringLiteral("/top"));
    DirListBox list(drives);
    QDir::setCurrent(previous);
    QCOMPARE(list.Path(), QDir::toNativeSeparators(base + QStringLiteral("/top")));

    if (removeOpenFolder) {
        QVERIFY(QDir(base + QStringLiteral("/top")).removeRecursively());
    }
    QSignalSpy spy(&list, &DirListBox::Change);
    list.SetPath(written.startsWith(QLatin1Char('@')) ? written.mid(1)
                                                      : base + QStringLiteral("/") + written);
    const QString expected = opened.isEmpty() ? base : base + QStringLiteral("/") + opened;
    QCOMPARE(list.Path(), QDir::toNativeSeparators(expected));
    QCOMPARE(spy.size(), changes);
    // The open folder's chain ends in the open folder, which the list shows and selects.
    QCOMPARE(QDir::toNativeSeparators(list.Chain().value(list.Chain().size() - 1)), list.Path());
    QCOMPARE(list.currentItem()->toolTip(), list.Path());
}

void ListControlsTest::dirShowsTree() {
    QTemporaryDir root;
    const QString base = QDir(root.path()).canonicalPath();
    const QString open = base + QStringLiteral("/Spiele/Vandrok");
    for (const char* sub : {"beta", "Alpha", ".hidden", "gamma"}) {
        QVERIFY(QDir(open).mkpath(QString::fromLatin1(sub)));
    }
    WriteFile(open + QStringLiteral("/file.deu"), QByteArray());
    FakeDrives drives;
    drives.Drives = {{"c: [SYSTEM]", DriveType::Fixed, {}}};
    DirListBox list(drives);
    list.SetPath(open);

    // The ancestors from the root down, the open folder, then its subfolders by name.
    QDir up(open);
    QStringList chain{QDir::toNativeSeparators(up.absolutePath())};
    while (up.cdUp()) {
        chain.prepend(QDir::toNativeSeparators(up.absolutePath()));
    }
    const int openRow = static_cast<int>(chain.size()) - 1;
    QCOMPARE(Tips(list).mid(0, chain.size()), chain);
    QCOMPARE(list.Chain().size(), chain.size());
    QCOMPARE(QDir::toNativeSeparators(list.Chain().value(openRow)), list.Path());
    QCOMPARE(list.currentRow(), openRow);
    const QStringList shown = Entries(list);
    QCOMPARE(
        shown.mid(chain.size() - 2),
        (QStringList{QStringLiteral("Spiele"), QStringLiteral("Vandrok"), QStringLiteral("Alpha"),
                     QStringLiteral("beta"), QStringLiteral("gamma")}));
    QCOMPARE(Tips(list).value(list.count() - 1),
             QDir::toNativeSeparators(open + QStringLiteral("/gamma")));

    // The open folder and its ancestors show one picture, the subfolders another, and the two
    // differ plainly: in a quarter of their pixels or more.
    const QImage opened = Picture(*list.item(openRow));
    const QImage shut = Picture(*list.item(list.count() - 1));
    for (int row = 0; row < list.count(); ++row) {
        QCOMPARE(Picture(*list.item(row)), row <= openRow ? opened : shut);
    }
    QCOMPARE(opened.size(), shut.size());
    int differing = 0;
    for (int y = 0; y < opened.height(); ++y) {
        for (int x = 0; x < opened.width(); ++x) {
            const QColor a = QColor::fromRgba(opened.pixel(x, y));
            const QColor b = QColor::fromRgba(shut.pixel(x, y));
            differing += qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) +
                             qAbs(a.blue() - b.blue()) + qAbs(a.alpha() - b.alpha()) >
                         96;
        }
    }
    QVERIFY2(differing * 4 >= opened.width() * opened.height(),
             qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
}

void ListControlsTest::filePattern_data() {
    QTest::addColumn<QString>("pattern"); // "-" for none written
    QTest::addColumn<QStringList>("names");

    QTest::newRow("before any pattern: every file, no folders, nothing hidden")
        << "-"
        << QStringList{QStringLiteral("a.deu"), QStringLiteral("B.DEU"), QStringLiteral("c.fra"),
                       QStringLiteral("noext"), QStringLiteral("Tolvar Quennel.tqu")};
    QTest::newRow("German") << "*.deu"
                            << QStringList{QStringLiteral("a.deu"), QStringLiteral("B.DEU")};
    QTest::newRow("French") << "*.fra" << QStringList{QStringLiteral("c.fra")};
    QTest::newRow("English names one file")
        << "Tolvar Quennel.tqu" << QStringList{QStringLiteral("Tolvar Quennel.tqu")};
    QTest::newRow("nothing matches") << "*.xyz" << QStringList{};
}

void ListControlsTest::filePattern() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, names);

    QTemporaryDir root;
    for (const char* name :
         {"a.deu", "B.DEU", "c.fra", "noext", "Tolvar Quennel.tqu", ".hidden.deu"}) {
        WriteFile(root.path() + QStringLiteral("/") + QString::fromLatin1(name), QByteArray());
    }
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("folder.deu")));

    FileListBox list;
    list.SetPath(root.path());
    if (pattern != QLatin1String("-")) {
        list.SetPattern(pattern);
    }
    QCOMPARE(list.ListCount(), names.size());
    QStringList listed;
    for (int i = 0; i < list.ListCount(); ++i) {
        listed << QString::fromStdString(list.List(i));
    }
    QCOMPARE(listed, names);
    QCOMPARE(Entries(list), names);
    // Each entry's tooltip holds its whole name.
    QCOMPARE(Tips(list), names);
    QCOMPARE(list.List(list.ListCount()), std::string());
    QCOMPARE(list.List(-1), std::string());
}

void ListControlsTest::longNameHasItsTooltip_data() {
    QTest::addColumn<bool>("folders"); // the folder list, else the file list
    QTest::addColumn<int>("others");   // short names beside the long one
    QTest::newRow("file list") << false << 0;
    QTest::newRow("file list with a scroll bar") << false << 40;
    QTest::newRow("folder list with a scroll bar") << true << 40;
}

// A name longer than the list is wide ends in "…" within the list, no scrolling sideways; its
// tooltip holds it whole.
void ListControlsTest::longNameHasItsTooltip() {
    QFETCH(bool, folders);
    QFETCH(int, others);

    QTemporaryDir root;
    const QString name = QStringLiteral("Kampagne der vereinigten Nordprovinzen, Kapitel 12.deu");
    QStringList names{name};
    for (int i = 0; i < others; ++i) {
        names << QStringLiteral("k%1.deu").arg(i, 2, 10, QLatin1Char('0'));
    }
    for (const QString& entry : names) {
        const QString path = root.path() + QStringLiteral("/") + entry;
        if (folders) {
            QVERIFY(QDir().mkdir(path));
        } else {
            WriteFile(path, QByteArray());
        }
    }
    FakeDrives drives;
    std::unique_ptr<QListWidget> list;
    if (folders) {
        auto dir = std::make_unique<DirListBox>(drives);
        dir->SetPath(root.path());
        list = std::move(dir);
    } else {
        auto files = std::make_unique<FileListBox>();
        files->SetPath(root.path());
        files->SetPattern(QStringLiteral("*.deu"));
        list = std::move(files);
    }
    list->resize(113, 201);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QVERIFY(list->fontMetrics().horizontalAdvance(name) > list->width());
    QCOMPARE(found[0]->toolTip(),
             folders ? QDir::toNativeSeparators(root.path() + QStringLiteral("/") + name) : name);
    QCOMPARE(list->verticalScrollBar()->isVisible(), others > 0);
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    // The entry is drawn within the list, its text cut with an ellipsis at the end.
    QCOMPARE(list->textElideMode(), Qt::ElideRight);
    list->scrollToItem(found[0]);
    QTRY_VERIFY(list->viewport()->rect().contains(list->visualItemRect(found[0])));
}

void ListControlsTest::fileNamesAsTheDiskHoldsThem_data() {
    QTest::addColumn<QByteArray>("name"); // as the file system holds it
    QTest::addColumn<QString>("shown");

    QTest::newRow("UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                         "e.deu")
                           << QStringLiteral("Grüße.deu");
    // Where names are bytes: one that is no UTF-8 is listed as it is, and shown as well as it
    // can be.
    if (kNamesAreBytes) {
        QTest::newRow("no UTF-8") << QByteArray("Gr\xfc\xdf"
                                                "e.deu")
                                  << QString::fromUtf8("Gr\xfc\xdf"
                                                       "e.deu");
    }
}

void ListControlsTest::fileNamesAsTheDiskHoldsThem() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);

    QTemporaryDir root;
    // Written by its bytes where names are bytes, by its text elsewhere.
    WriteFile(kNamesAreBytes ? PathOf(root.path()) / name.toStdString()
                             : PathOf(root.path() + QStringLiteral("/") + shown),
              "");
    FileListBox list;
    list.SetPath(root.path());
    list.SetPattern(QStringLiteral("*.deu"));
    QCOMPARE(list.ListCount(), 1);
    QCOMPARE(QByteArray::fromStdString(list.List(0)), name);
    QCOMPARE(Entries(list), QStringList{shown});
}

QTEST_MAIN(ListControlsTest)
#include "ListControlsTest.moc"
