// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program end to end on an X display with a window manager, as a player meets it:
// the program's own drives, windows framed and placed by the window manager, files copied in
// by another program, and a long run with its progress dialog. tools/with-desktop starts the
// display and the window manager and runs this with QT_QPA_PLATFORM=xcb.

#include "CopyNames.h"
#include "DirListBox.h"
#include "DriveSystem.h"
#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Main.h"
#include "Module1.h"
#include "QtTestFiles.h"
#include "RunProgress.h"
#include "WindowFont.h"
#include "WindowServices.h"
#include "WindowTests.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <memory>

using namespace rz408;
using namespace rz408::test;

namespace {

// The program as its entry makes it, started in a game folder of its own.
struct Desktop {
    QTemporaryDir Folder;
    QString Previous = QDir::currentPath();
    Module1 Module;
    WindowServices Services;
    HeldProgress Progress;
    DialogCatcher Dialogs;
    std::unique_ptr<DriveSystem> Drives;
    std::unique_ptr<Main> Start;

    Desktop() {
        QDir::setCurrent(Folder.path());
        Drives = MakeSystemDrives();
        Start = std::make_unique<Main>(Module, Services, *Drives, Progress);
        Start->ShowWindow();
    }
    ~Desktop() { QDir::setCurrent(Previous); }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // A click on the start window's German choice; returns the converter window.
    Form1* German() {
        QTest::mouseClick(&Control<QPushButton>(*Start, QStringLiteral("Command2")),
                          Qt::LeftButton);
        return TopLevel<Form1>(QStringLiteral("Form1"));
    }
};

// The converter window's lists.
DirListBox& Dir1(const Form1* form) {
    return Control<DirListBox>(*form, QStringLiteral("Dir1"));
}
FileListBox& File1(const Form1* form) {
    return Control<FileListBox>(*form, QStringLiteral("File1"));
}

// How far WINDOW's frame stands from the centre of its screen's free area, in pixels, once
// the window manager has framed it; (-1000, -1000) until then.
QPoint OffCentre(QWidget& window) {
    QWindow* handle = window.windowHandle();
    if (handle == nullptr || !handle->isExposed() || handle->frameMargins().isNull()) {
        return {-1000, -1000};
    }
    const QRect frame = handle->frameGeometry();
    const QRect area = window.screen()->availableGeometry();
    return {frame.left() - area.left() - (area.right() - frame.right()),
            frame.top() - area.top() - (area.bottom() - frame.bottom())};
}

bool NearCentre(const QPoint& offset) {
    // Odd sizes leave one pixel more on one side than on the other.
    return qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1;
}

// Runs xdotool with ARGUMENTS, real input through the X server, while the program takes its
// events; true once it ended well.
bool Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    return QTest::qWaitFor([&xdotool] { return xdotool.state() == QProcess::NotRunning; }, 10000) &&
           xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void framesCentred();
    void listsFollowAnotherProgram();
    void longRunShowsProgressAndCancels_data();
    void longRunShowsProgressAndCancels();
    void doubleClicksOpenWhileAFolderAboveIsBusy();
};

void DesktopTest::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("needs an X display with a window manager (tools/with-desktop)");
    }
    InstallFontSubstitutes();
}

// Both windows stand with their whole frame, title bar included, centred on the screen.
void DesktopTest::framesCentred() {
    Desktop d;
    QTRY_VERIFY2(NearCentre(OffCentre(*d.Start)),
                 qPrintable(QStringLiteral("start window off centre by %1,%2")
                                .arg(OffCentre(*d.Start).x())
                                .arg(OffCentre(*d.Start).y())));
    Form1* form = d.German();
    QTRY_VERIFY2(NearCentre(OffCentre(*form)),
                 qPrintable(QStringLiteral("converter window off centre by %1,%2")
                                .arg(OffCentre(*form).x())
                                .arg(OffCentre(*form).y())));
    // The window manager's frame is there: the title bar stands above the client area.
    QVERIFY(form->windowHandle()->frameMargins().top() > 0);
}

// Files and folders that another program copies in or takes away show in the lists.
void DesktopTest::listsFollowAnotherProgram() {
    Desktop d;
    const QString game = d.Folder.path();
    WriteFile(game + QStringLiteral("/a.deu"), "a");
    QVERIFY(QDir(game).mkpath(QStringLiteral("scenario/alt")));
    Form1* form = d.German();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    Dir1(form).SetPath(game);
    QCOMPARE(Entries(File1(form)), QStringList{"a.deu"});

    const auto shell = [&game](const QString& command) {
        QProcess process;
        process.setWorkingDirectory(game);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        return process.waitForFinished() && process.exitCode() == 0;
    };
    QVERIFY(shell(QStringLiteral("printf b > b.deu && mkdir userscen")));
    QTRY_COMPARE(Entries(File1(form)), (QStringList{"a.deu", "b.deu"}));
    QTRY_VERIFY(
        Tips(Dir1(form)).value(Dir1(form).count() - 1).endsWith(QStringLiteral("userscen")));

    Dir1(form).SetPath(game + QStringLiteral("/scenario/alt"));
    QVERIFY(shell(QStringLiteral("rm -r scenario")));
    QTRY_COMPARE(Dir1(form).Path(), QDir::toNativeSeparators(game));
    QCOMPARE(File1(form).Path(), Dir1(form).Path());
}

void DesktopTest::longRunShowsProgressAndCancels_data() {
    QTest::addColumn<QString>("stop"); // how the player stops the run while its progress shows
    QTest::newRow("Cancel in the progress dialog") << "cancel";
    QTest::newRow("the converter window's close button") << "close button";
    QTest::newRow("Alt+F4 on the converter window") << "alt+F4";
}

// A run held at its 40th file of 120: the window goes on painting, the progress dialog comes
// up framed by the window manager, and Cancel stops the run after that file; closing the
// converter window, by its frame's close button or Alt+F4, does so too and ends the program.
void DesktopTest::longRunShowsProgressAndCancels() {
    QFETCH(QString, stop);
    const bool closes = stop != QLatin1String("cancel");
    if (closes && QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs xdotool for input through the window manager (package xdotool)");
    }
    Desktop d;
    const QString game = d.Folder.path();
    constexpr int kListed = 120;
    constexpr int kHeld = 40;
    for (int i = 1; i <= kListed; ++i) {
        WriteFile(game + QStringLiteral("/s%1.deu").arg(i, 3, 10, QLatin1Char('0')), "\x96");
    }
    Form1* form = d.German();
    Dir1(form).SetPath(game);
    QCOMPARE(File1(form).ListCount(), kListed);
    d.Progress.HoldAt(kHeld);

    bool framed = false;
    d.Dialogs.AnswerProgress([&](QProgressDialog* progress) {
        QTRY_VERIFY(progress->windowHandle()->isExposed() &&
                    !progress->windowHandle()->frameMargins().isNull());
        framed = true;
        QTRY_COMPARE(progress->findChild<QProgressBar*>()->text(),
                     Utf8Text(kGermanProfile.Messages.FilesDone)
                         .arg(QString::number(kHeld), QString::number(kListed)));
        if (stop == QLatin1String("cancel")) {
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        } else if (stop == QLatin1String("close button")) {
            // The last button of openbox's title bar, as high as the bar.
            const QRect frame = form->frameGeometry();
            const int bar = form->windowHandle()->frameMargins().top();
            QVERIFY(Xdotool({QStringLiteral("mousemove"), QString::number(frame.right() - bar / 2),
                             QString::number(frame.top() + bar / 2), QStringLiteral("click"),
                             QStringLiteral("1")}));
        } else {
            QVERIFY(Xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                             QString::number(form->winId()), QStringLiteral("key"), stop}));
        }
        if (closes) {
            QVERIFY2(QTest::qWaitFor([form] { return !form->isVisible(); }, 5000),
                     "the converter window is still open");
        }
        d.Progress.Release();
    });
    QCOMPARE(ExecAround([&] {
                 QTest::mouseClick(&Control<QPushButton>(*form, QStringLiteral("Command1")),
                                   Qt::LeftButton);
             }),
             closes ? 0 : kStillRunning);

    QVERIFY(framed);
    QCOMPARE(d.Dialogs.Messages,
             closes ? QStringList{}
                    : QStringList{Utf8Text(kGermanProfile.CountMessage) + QStringLiteral(" 40")});
    // The copies of the files done, each whole, and the log file with a record for each.
    const QStringList copies = QDir(game).entryList({QStringLiteral("s*.txt")}, QDir::Files);
    QCOMPARE(copies.size(), kHeld);
    for (const QString& copy : copies) {
        QCOMPARE(ReadFile(game + QStringLiteral("/") + copy), QByteArray(" \r\n"));
    }
    QCOMPARE(ReadFile(game + QStringLiteral("/") + Utf8Text(LogFileName(d.Module)))
                 .count(QByteArrayLiteral(".deu : \r\n")),
             kHeld);
}

// Another program writes in the game folder every 50 ms while the player opens the folders
// below it by double clicks, real X double clicks of 300 ms between the two clicks: each one
// opens its folder.
void DesktopTest::doubleClicksOpenWhileAFolderAboveIsBusy() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs xdotool for real double clicks (package xdotool)");
    }
    Desktop d;
    const QString game = d.Folder.path();
    const QString outer = game + QStringLiteral("/scenario");
    const QString inner = outer + QStringLiteral("/alt");
    QVERIFY(QDir(inner).mkpath(QStringLiteral(".")));
    Form1* form = d.German();
    QTRY_VERIFY(NearCentre(OffCentre(*form))); // placed by the window manager, where it stays
    DirListBox* dir = &Dir1(form);
    dir->SetPath(outer);

    QProcess busy;
    busy.setWorkingDirectory(game);
    busy.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("while :; do touch saves.dat; sleep 0.05; done")});
    QVERIFY(busy.waitForStarted());
    constexpr int kDoubleClicks = 20;
    int opened = 0;
    for (int i = 0; i < kDoubleClicks; ++i) {
        // Down into the subfolder, then up again by the open folder's entry.
        const QString target = dir->Path() == outer ? inner : outer;
        const int row = RowOf(*dir, target);
        QVERIFY(row >= 0);
        QVERIFY(ShowEntry(*dir, row));
        const QPoint at =
            dir->viewport()->mapToGlobal(dir->visualItemRect(dir->item(row)).center());
        // The window takes its events while the clicks come.
        QVERIFY(
            Xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                     QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                     QStringLiteral("--delay"), QStringLiteral("300"), QStringLiteral("1")}));
        opened += QTest::qWaitFor([&] { return dir->Path() == target; }, 1500) ? 1 : 0;
    }
    busy.kill();
    busy.waitForFinished();
    qInfo("%d of %d double clicks opened their folder", opened, kDoubleClicks);
    QCOMPARE(opened, kDoubleClicks);
}

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
