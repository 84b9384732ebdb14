// SPDX-License-Identifier: GPL-3.0-or-later
// The start window and the installation of the language profiles, driven as a user drives
// them: by the buttons' clicks, on the offscreen platform.

#include "Main.h"
#include "Contrast.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "DriveSystem.h"
#include "Encoding.h"
#include "FakeDrives.h"
#include "FileListBox.h"
#include "FolderListing.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "QtTestFiles.h"
#include "WindowFont.h"
#include "WindowServices.h"
#include "WindowTests.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace rz408;
using namespace rz408::test;

namespace {

enum Choice { French = 0, German = 1, English = 2 };

// The profile that CHOICE installs.
const LanguageProfile& ProfileOf(int choice) {
    return *kEveryProfile[choice].second;
}

// One program: the program-wide variables, the window services, fake drives over a
// temporary folder, and the start window; its message boxes are read and closed as a user
// does.
struct Program {
    QTemporaryDir Folder;
    Module1 Module;
    WindowServices Services;
    HeldProgress Progress;
    DialogCatcher Dialogs;
    QStringList& Messages = Dialogs.Messages;
    FakeDrives Drives;
    QString PreviousCurrent = QDir::currentPath();
    std::unique_ptr<Main> Start;

    // Three drives over the temporary folder: a floppy, the system disk and a network share. The
    // floppy's query text is a bare root and is refused; the bracketed entries are no root paths
    // and are accepted. The temporary folder is the process's current folder, where the
    // converter window's lists stand at first.
    Program() {
        QDir::setCurrent(Folder.path());
        const std::filesystem::path root = Folder.path().toStdString();
        Drives.Drives = {{"a:", DriveType::Removable, root},
                         {"c: [SYSTEM]", DriveType::NoRootDir, root},
                         {"n: [\\\\server\\games]", DriveType::NoRootDir, root}};
        Start = std::make_unique<Main>(Module, Services, Drives, Progress);
        Start->ShowWindow();
    }
    ~Program() { QDir::setCurrent(PreviousCurrent); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // One source of each language and a file of none, in the temporary folder.
    static constexpr const char* kEveryKind[] = {"a.deu", "a.fra", "Tolvar Quennel.tqu", "x.txt"};
    void WriteEveryKind() const {
        for (const char* name : kEveryKind) {
            WriteFile(Folder.path() + QStringLiteral("/") + QString::fromLatin1(name), "x");
        }
    }
    // Those of them that PROFILE's pattern lists.
    static QStringList Matching(const LanguageProfile& profile) {
        QStringList names;
        for (const char* name : kEveryKind) {
            if (MatchesPattern(name, profile.FilePattern)) {
                names << QString::fromLatin1(name);
            }
        }
        return names;
    }

    // The start window's control NAME.
    template <typename T = QPushButton>
    T& StartControl(const char* name) const {
        return Control<T>(*Start, QString::fromLatin1(name));
    }

    // The converter window, nullptr before the first choice; and its control NAME.
    static Form1* Converter() { return TopLevel<Form1>(QStringLiteral("Form1")); }
    template <typename T = QPushButton>
    static T& ConverterControl(const char* name) {
        return Control<T>(*Converter(), QString::fromLatin1(name));
    }

    // A click on a choice button of the start window; returns the converter window.
    Form1* Choose(Choice choice) {
        const char* const buttons[] = {"Command1", "Command2", "Command3"};
        QTest::mouseClick(&StartControl(buttons[choice]), Qt::LeftButton);
        return Converter();
    }

    // A click on the converter window's back button.
    void Back() { QTest::mouseClick(&ConverterControl("Command2"), Qt::LeftButton); }

    // Opens FOLDER in the folder list; the file list follows.
    void OpenFolder(const QString& path) { ConverterControl<DirListBox>("Dir1").SetPath(path); }
};

// Every text of the start window, with its place: what no profile may change.
QStringList StartWindowTexts(const Main& main) {
    QStringList texts{main.windowTitle()};
    for (const QWidget* w : main.findChildren<QWidget*>()) {
        QString text;
        if (const auto* b = qobject_cast<const QPushButton*>(w)) {
            text = b->text();
        } else if (const auto* l = qobject_cast<const QLabel*>(w)) {
            text = l->text();
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            text = g->title();
        }
        texts << w->objectName() + '|' + text + '|' + w->toolTip() + '|' +
                     QString::number(w->geometry().x()) + ',' + QString::number(w->geometry().y());
    }
    return texts;
}

// Records, in order, the events by which a profile installation can be watched from
// outside: the start window hidden, the converter window shown, its caption set to TITLE,
// and the convert button's enabled state changed. At the last one it also notes whether
// everything else of the profile was already in place.
class InstallWatcher : public QObject {
public:
    InstallWatcher(Program& program, const LanguageProfile& profile)
        : m_program(program), m_profile(profile) {
        qApp->installEventFilter(this);
    }
    ~InstallWatcher() override { qApp->removeEventFilter(this); }

    QStringList Events;
    bool RestInPlaceAtEnable = false;
    bool StartHiddenAtShow = false;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        const QString name = object->objectName();
        if (object == m_program.Start.get() && event->type() == QEvent::Hide) {
            Events << "Main hidden";
        } else if (name == QLatin1String("Form1") && event->type() == QEvent::Show) {
            Events << "Form1 shown";
            StartHiddenAtShow = m_program.Start->isHidden();
        } else if (name == QLatin1String("Form1") && event->type() == QEvent::WindowTitleChange &&
                   qobject_cast<QWidget*>(object)->windowTitle() ==
                       Utf8Text(m_profile.WindowCaption)) {
            Events << "Form1 caption";
        } else if (name == QLatin1String("Command1") && event->type() == QEvent::EnabledChange &&
                   object->parent() == Program::Converter()) {
            Events << "Command1 enabled state";
            RestInPlaceAtEnable = RestInPlace();
        }
        return false;
    }

private:
    bool RestInPlace() const {
        const Module1& m = m_program.Module;
        for (std::size_t i = 0; i < 7; ++i) {
            const QString label = QStringLiteral("Label%1").arg(i + 1);
            if (Program::ConverterControl<QLabel>(qPrintable(label)).text() !=
                Utf8Text(m_profile.LabelTexts[i])) {
                return false;
            }
        }
        return Program::ConverterControl("Command1").text() == Utf8Text(m_profile.ConvertCaption) &&
               Program::ConverterControl("Command2").text() == Utf8Text(m_profile.BackCaption) &&
               Entries(Program::ConverterControl<FileListBox>("File1")) ==
                   Program::Matching(m_profile) &&
               m.LogBaseName == Utf8ToCp1252(m_profile.LogBaseName) &&
               m.DriveMessage == Utf8ToCp1252(m_profile.DriveMessage);
    }

    Program& m_program;
    const LanguageProfile& m_profile;
};

} // namespace

class MainTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void controls_data();
    void controls();
    void window();
    void tabOrderAndFocus();
    void pictures();
    void installation_data();
    void installation();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void disabledCaptionReads();
    void installationOrder_data();
    void installationOrder();
    void converterWindowKept();
    void englishBackFrench();
    void germanRunThenFrenchRun();
    void refusedDrive_data();
    void refusedDrive();
    void label7NeverChanges();
    void startWindowUnchanged_data();
    void startWindowUnchanged();
    void ending_data();
    void ending();
    void screenshots_data();
    void screenshots();
};

void MainTest::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");

    QTest::newRow("Command1 French") << "Command1"
                                     << "Main" << QRect(105, 105, 1380, 540) << "Je suis Francais"
                                     << "Operation gorvald";
    QTest::newRow("Command2 German") << "Command2"
                                     << "Main" << QRect(1575, 105, 1380, 540) << "Ich bin Deutsch"
                                     << "Vandrok";
    QTest::newRow("Command4 STOP") << "Command4"
                                   << "Main" << QRect(3045, 105, 1065, 540) << "STOP"
                                   << "Terminate program";
    QTest::newRow("Frame1") << "Frame1"
                            << "Main" << QRect(105, 735, 4005, 2745) << "Tolvar Quennel Choice"
                            << "";
    QTest::newRow("Label1 explanation")
        << "Label1"
        << "Frame1" << QRect(105, 315, 3795, 1380)
        << "This Button is only here, because Tolvar Quennel doesn't like programs in languages "
           "he doesn't understand. Pressing the Tolvar Quennel Button will take you to the same "
           "screens as the French or German versions, only the texts will be in english, and "
           "functionality will be disabled. :o)"
        << "";
    QTest::newRow("Command3 picture button")
        << "Command3"
        << "Frame1" << QRect(1365, 1575, 1170, 1065) << ""
        << "I am Tolvar Quennel. I don't like tools I don't understand.";
    QTest::newRow("Image1 smiley") << "Image1"
                                   << "Frame1" << QRect(315, 1890, 480, 480) << ""
                                   << "This is just a smiley - Tolvar, no functionality.";
    QTest::newRow("Image2 smiley") << "Image2"
                                   << "Frame1" << QRect(3045, 1890, 480, 480) << ""
                                   << "This is just a smiley - Tolvar, no functionality.";
}

// Each control: its kind, where it sits (twips at 15 to the pixel, measured from its parent),
// its caption and its tooltip, exactly.
void MainTest::controls() {
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, twips);
    QFETCH(QString, text);
    QFETCH(QString, tip);

    Program p;
    auto* control = p.Start->findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(control->toolTip(), tip);

    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), text);
        // Neither the default nor the cancel button; no access key.
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->text().contains('&'));
        QVERIFY(button->focusPolicy() & Qt::TabFocus);
        // The caption is readable in full, with room for the button's edges.
        QVERIFY2(button->fontMetrics().horizontalAdvance(text) <= button->width() - 8,
                 "the caption does not fit its button");
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        if (name == "Label1") {
            QVERIFY(label->wordWrap());
            QVERIFY(label->alignment() & Qt::AlignLeft);
            // Every line shows, above the picture button that overlaps the label's foot.
            const QRect needed = label->fontMetrics().boundingRect(
                QRect(0, 0, label->width(), 10000), Qt::TextWordWrap | Qt::AlignLeft, text);
            QVERIFY2(needed.height() <= p.StartControl("Command3").y() - label->y(),
                     qPrintable(QString("the text needs %1 px").arg(needed.height())));
        }
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        QCOMPARE(frame->title(), text);
        QCOMPARE(frame->focusPolicy(), Qt::NoFocus);
    } else {
        QFAIL("unexpected kind of control");
    }
}

void MainTest::window() {
    Program p;
    QCOMPARE(p.Start->objectName(), QString("Main"));
    QCOMPARE(p.Start->windowTitle(), QString("RZ408G textfileconverter"));
    // Centred on the screen at its first showing.
    const QRect screen = p.Start->screen()->availableGeometry();
    const QPoint offset = p.Start->frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QString("off centre by %1,%2").arg(offset.x()).arg(offset.y())));

    // Client area 4170 x 3570 twips; no layout, so a change of size moves nothing.
    QCOMPARE(p.Start->size(), QSize(278, 238));
    QVERIFY(p.Start->layout() == nullptr);
    const QRect before = p.StartControl("Command3").geometry();
    p.Start->resize(500, 400);
    QCOMPARE(p.StartControl("Command3").geometry(), before);
    QCOMPARE(p.StartControl<QGroupBox>("Frame1").size(), QSize(267, 183));

    // The converter window does not exist before the first choice.
    QVERIFY(Program::Converter() == nullptr);
}

void MainTest::tabOrderAndFocus() {
    Program p;
    QCOMPARE(p.Start->focusWidget(), &p.StartControl("Command1"));

    // Tab order Command1, Command2, Command3 (in the frame), Command4, and round again.
    QStringList order;
    QWidget* w = &p.StartControl("Command1");
    do {
        if (w->isWidgetType() && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(p.Start.get()))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != &p.StartControl("Command1"));
    QCOMPARE(order, QStringList({"Command1", "Command2", "Command3", "Command4"}));
}

// The pictures are our own resources: the icon opaque with a black centre on red, the smiley
// transparent outside its face, the portrait centred on its button at its own size.
void MainTest::pictures() {
    Program p;

    const QImage icon =
        p.Start->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            QCOMPARE(qAlpha(icon.pixel(x, y)), 255);
        }
    }
    QCOMPARE(QColor(icon.pixel(16, 16)), QColor(Qt::black));
    QCOMPARE(QColor(icon.pixel(0, 0)), QColor(Qt::red));

    for (QLabel* image : {&p.StartControl<QLabel>("Image1"), &p.StartControl<QLabel>("Image2")}) {
        const QImage smiley = image->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(smiley.size(), QSize(32, 32));
        QVERIFY(!image->hasScaledContents());
        QCOMPARE(qAlpha(smiley.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(smiley.pixel(31, 31)), 0);
        QCOMPARE(QColor(smiley.pixel(16, 8)), QColor(Qt::yellow));
    }

    // The portrait: 60 x 60, opaque, drawn by the button unscaled and centred.
    QCOMPARE(p.StartControl("Command3").iconSize(), QSize(60, 60));
    QVERIFY(p.StartControl("Command3").text().isEmpty());
    const QImage portrait =
        QImage(QStringLiteral(":/pictures/portrait.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(portrait.size(), QSize(60, 60));
    const QImage shot =
        p.StartControl("Command3").grab().toImage().convertToFormat(QImage::Format_RGB32);
    QPoint found(-1, -1);
    for (int y = 0; y + 60 <= shot.height() && found.x() < 0; ++y) {
        for (int x = 0; x + 60 <= shot.width() && found.x() < 0; ++x) {
            if (shot.copy(x, y, 60, 60) == portrait) {
                found = QPoint(x, y);
            }
        }
    }
    QVERIFY2(found.x() >= 0, "the portrait is not shown at its own size");
    QVERIFY(qAbs(found.x() - (shot.width() - 60) / 2) <= 1);
    QVERIFY(qAbs(found.y() - (shot.height() - 60) / 2) <= 1);
}

void MainTest::installation_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("listed"); // of one file of each kind
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QByteArray>("logBaseName");
    QTest::addColumn<QByteArray>("logTextBefore");

    QTest::newRow("French") << int(French) << "Operation Gorvald textconverter pour le patch RZ408."
                            << QStringList{"a.fra"} << true << QByteArray("Erreurs_de_conversion.")
                            << QByteArray(" (La valeur ASCII ");
    QTest::newRow("German") << int(German) << "Vandrok-text konverter f\u00fcr Userpatch."
                            << QStringList{"a.deu"} << true << QByteArray("konvertionsfehler")
                            << QByteArray(" (ascii werte");
    QTest::newRow("English") << int(English)
                             << "RZ408 patch textconverter for French and German Vandrok."
                             << QStringList{"Tolvar Quennel.tqu"} << false
                             << QByteArray("Conversionerrors") << QByteArray(" (ASCII value");
}

// Each choice: the start window hidden, the converter window shown with every text of its
// profile, the files its pattern lists, the convert button's state, and the five program-wide
// texts as
// Windows-1252 bytes.
void MainTest::installation() {
    QFETCH(int, choice);
    QFETCH(QString, caption);
    QFETCH(QStringList, listed);
    QFETCH(bool, enabled);
    QFETCH(QByteArray, logBaseName);
    QFETCH(QByteArray, logTextBefore);
    const LanguageProfile& profile = ProfileOf(choice);

    Program p;
    p.WriteEveryKind();
    Form1* form = p.Choose(Choice(choice));
    QVERIFY(form != nullptr);
    QVERIFY(p.Start->isHidden());
    QVERIFY(form->isVisible());

    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(p.ConverterControl("Command1").text(), Utf8Text(profile.ConvertCaption));
    QCOMPARE(p.ConverterControl("Command2").text(), Utf8Text(profile.BackCaption));
    for (std::size_t i = 0; i < 7; ++i) {
        const QString label = QStringLiteral("Label%1").arg(i + 1);
        QCOMPARE(p.ConverterControl<QLabel>(qPrintable(label)).text(),
                 Utf8Text(profile.LabelTexts[i]));
    }
    QCOMPARE(Entries(p.ConverterControl<FileListBox>("File1")), listed);
    QCOMPARE(p.ConverterControl("Command1").isEnabled(), enabled);

    QCOMPARE(QByteArray::fromStdString(p.Module.LogBaseName), logBaseName);
    QCOMPARE(QByteArray::fromStdString(p.Module.LogTextBefore), logTextBefore);
    QCOMPARE(p.Module.LogTextAfter, Utf8ToCp1252(profile.LogTextAfter));
    QCOMPARE(p.Module.CountMessage, Utf8ToCp1252(profile.CountMessage));
    QCOMPARE(p.Module.DriveMessage, Utf8ToCp1252(profile.DriveMessage));
    // Single-byte text: the French drive message's "ê" is one byte, 0xEA.
    if (choice == French) {
        QVERIFY(p.Module.DriveMessage.find('\xEA') != std::string::npos);
        QVERIFY(p.Module.DriveMessage.find("\xC3\xAA") == std::string::npos);
    }
}

void MainTest::enterPressesTheFocusedButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("choice"); // the profile installed, -1 for none (STOP)

    QTest::newRow("Je suis Francais") << "Command1" << int(French);
    QTest::newRow("Ich bin Deutsch") << "Command2" << int(German);
    QTest::newRow("the picture button") << "Command3" << int(English);
    QTest::newRow("STOP") << "Command4" << -1;
}

// With the focus on a button of the start window, Enter presses it.
void MainTest::enterPressesTheFocusedButton() {
    QFETCH(QString, button);
    QFETCH(int, choice);

    Program p;
    QVERIFY(QTest::qWaitForWindowActive(p.Start.get()));
    auto* target = p.Start->findChild<QPushButton*>(button);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QCOMPARE(ExecAround([&] { QTest::keyClick(target, Qt::Key_Return); }),
             choice < 0 ? 0 : test::kStillRunning);
    if (choice >= 0) {
        QVERIFY(p.Start->isHidden());
        QCOMPARE(Program::Converter()->windowTitle(), Utf8Text(ProfileOf(choice).WindowCaption));
    }
}

// The English preview's disabled convert button: its caption reads at 4.5 to 1 or better on
// the button's face, and the button stays disabled.
void MainTest::disabledCaptionReads() {
    Program p;
    Form1* form = p.Choose(English);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QPushButton* button = &p.ConverterControl("Command1");
    QVERIFY(!button->isEnabled());
    const QImage shot = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The face: the most common colour inside the border; the caption: the darkest pixel.
    QHash<QRgb, int> colours;
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 3; y < shot.height() - 3; ++y) {
        for (int x = 3; x < shot.width() - 3; ++x) {
            const QRgb pixel = shot.pixel(x, y);
            ++colours[pixel];
            if (qGray(pixel) < qGray(darkest)) {
                darkest = pixel;
            }
        }
    }
    QRgb face = 0;
    for (auto it = colours.cbegin(); it != colours.cend(); ++it) {
        if (it.value() > colours.value(face)) {
            face = it.key();
        }
    }
    const double contrast = Contrast(QColor(darkest), QColor(face));
    QVERIFY2(contrast >= kReadableContrast, qPrintable(QString::number(contrast)));
    QVERIFY(Contrast(button->palette().color(QPalette::Disabled, QPalette::ButtonText),
                     button->palette().color(QPalette::Disabled, QPalette::Button)) >=
            kReadableContrast);
}

void MainTest::installationOrder_data() {
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QStringList>("expected");

    const QStringList withEnable{"Main hidden", "Form1 shown", "Form1 caption",
                                 "Command1 enabled state"};
    const QStringList withoutEnable{"Main hidden", "Form1 shown", "Form1 caption"};
    QTest::newRow("English first") << QList<int>{English} << withEnable;
    QTest::newRow("French first") << QList<int>{French} << withoutEnable;
    QTest::newRow("French after English") << QList<int>{English, French} << withEnable;
    QTest::newRow("German after English") << QList<int>{English, German} << withEnable;
    QTest::newRow("English after German") << QList<int>{German, English} << withEnable;
}

// The order of the installation as far as it shows: the start window goes first, the converter
// window is visible before its caption changes, and the convert button's state comes last.
void MainTest::installationOrder() {
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, expected);

    Program p;
    p.WriteEveryKind();
    for (qsizetype i = 0; i + 1 < choices.size(); ++i) {
        p.Choose(Choice(choices[i]));
        p.Back();
    }
    const LanguageProfile& last = ProfileOf(choices.back());
    InstallWatcher watcher(p, last);
    p.Choose(Choice(choices.back()));

    QCOMPARE(watcher.Events, expected);
    QVERIFY(watcher.StartHiddenAtShow);
    if (expected.contains("Command1 enabled state")) {
        QVERIFY2(watcher.RestInPlaceAtEnable,
                 "the convert button's state was set before the rest of the profile");
    }
}

void MainTest::converterWindowKept() {
    Program p;
    Form1* first = p.Choose(German);
    p.Back();
    QVERIFY(p.Start->isVisible());
    QVERIFY(first->isHidden());
    QCOMPARE(p.Choose(French), first);
    p.Back();
    QCOMPARE(p.Choose(English), first);
    int converterWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        converterWindows += qobject_cast<Form1*>(w) != nullptr ? 1 : 0;
    }
    QCOMPARE(converterWindows, 1);
}

// English preview, back, then French: converting is possible again, every text French, the
// same folder, now its *.fra files.
void MainTest::englishBackFrench() {
    Program p;
    const QString dir = p.Folder.path();
    for (const char* name : {"b.fra", "a.fra", "c.deu", "Tolvar Quennel.tqu", "d.txt"}) {
        WriteFile(dir + '/' + name, "text\r\n");
    }
    Form1* form = p.Choose(English);
    p.OpenFolder(dir);
    QCOMPARE(Entries(p.ConverterControl<FileListBox>("File1")), QStringList{"Tolvar Quennel.tqu"});
    QVERIFY(!p.ConverterControl("Command1").isEnabled());
    QCOMPARE(p.ConverterControl("Command1").text(), QString("This will not work - Tolvar"));
    const QString drive = p.ConverterControl<DriveListBox>("Drive1").Drive();
    const QString folder = p.ConverterControl<DirListBox>("Dir1").Path();

    p.Back();
    QVERIFY(form->isHidden());
    QVERIFY(p.Start->isVisible());
    QCOMPARE(p.Choose(French), form);

    QVERIFY(p.ConverterControl("Command1").isEnabled());
    QCOMPARE(p.ConverterControl("Command1").text(), QString("Traduit FRA au TXT"));
    QCOMPARE(p.ConverterControl("Command2").text(), QString("Fin"));
    QCOMPARE(form->windowTitle(), Utf8Text(kFrenchProfile.WindowCaption));
    QCOMPARE(p.ConverterControl<QLabel>("Label3").text(), Utf8Text(kFrenchProfile.LabelTexts[2]));
    QCOMPARE(p.ConverterControl<DriveListBox>("Drive1").Drive(), drive);
    QCOMPARE(p.ConverterControl<DirListBox>("Dir1").Path(), folder);
    QCOMPARE(p.ConverterControl<FileListBox>("File1").Path(), folder);
    QCOMPARE(Entries(p.ConverterControl<FileListBox>("File1")), QStringList({"a.fra", "b.fra"}));
    QCOMPARE(p.Module.LogBaseName, std::string("Erreurs_de_conversion."));
}

// A German run, back, a French run in the same folder: each writes its own log file, and the
// German one stays as the German run left it.
void MainTest::germanRunThenFrenchRun() {
    Program p;
    const QString dir = p.Folder.path();
    // 0x80 has no transliteration: it becomes a blank and is logged.
    WriteFile(dir + "/texte.deu", QByteArray("Gr\xFC\xDF"
                                             "e \x80\r\n"));
    WriteFile(dir + "/texte.fra", QByteArray("\xE9t\xE9 \x80\r\n"));

    QVERIFY(p.Choose(German));
    p.OpenFolder(dir);
    QCOMPARE(Entries(p.ConverterControl<FileListBox>("File1")), QStringList{"texte.deu"});
    QTest::mouseClick(&p.ConverterControl("Command1"), Qt::LeftButton);
    QCOMPARE(p.Messages, QStringList{QString::fromUtf8("Anzahl der konvertierten Dateien f\u00fcr "
                                                       "Userpatch408:  1")});
    const QByteArray germanLog = ReadFile(dir + "/konvertionsfehler.txt");
    QVERIFY(germanLog.contains(" (ascii werte 128) ist konvertiert zu leerzeichen."));
    QCOMPARE(ReadFile(dir + "/texte.txt"), QByteArray("Gruesse  \r\n"));

    p.Back();
    p.Choose(French);
    QCOMPARE(Entries(p.ConverterControl<FileListBox>("File1")), QStringList{"texte.fra"});
    p.Messages.clear();
    QTest::mouseClick(&p.ConverterControl("Command1"), Qt::LeftButton);
    QCOMPARE(p.Messages, QStringList{"Nombre de fichiers convertis pour le patch RZ408:  1"});
    const QByteArray frenchLog = ReadFile(dir + "/Erreurs_de_conversion..txt");
    QVERIFY(frenchLog.contains(" (La valeur ASCII  128) est convertie en 'espace'."));
    QCOMPARE(ReadFile(dir + "/konvertionsfehler.txt"), germanLog);
    QCOMPARE(ReadFile(dir + "/texte.txt"), QByteArray("ete  \r\n"));
}

void MainTest::refusedDrive_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("message");
    QTest::newRow("English preview")
        << int(English) << "This program can only be used with folders on a harddisk.";
    QTest::newRow("French") << int(French)
                            << QString::fromUtf8("Ce programme peut \u00eatre utilis\u00e9 "
                                                 "seulement avec des dossiers plac\u00e9s sur le "
                                                 "disque dur.");
    QTest::newRow("German after English")
        << int(German) << "Dieser programm kann nur mit Ordnern auf eine Harddisk benutz werden.";
}

// A refused drive shows the drive message of the profile last installed, then the drive list
// returns to C:.
void MainTest::refusedDrive() {
    QFETCH(int, choice);
    QFETCH(QString, message);

    Program p;
    if (choice == German) {
        p.Choose(English);
        p.Back();
    }
    p.Choose(Choice(choice));
    p.ConverterControl<DriveListBox>("Drive1").SetDrive("a:");
    QCOMPARE(p.Messages, QStringList{message});
    QVERIFY(
        p.ConverterControl<DriveListBox>("Drive1").Drive().startsWith("c:", Qt::CaseInsensitive));
}

// Label7 shows the same text before any installation and under every profile.
void MainTest::label7NeverChanges() {
    Program p;
    const QString before = [&p] {
        const Form1 fresh(p.Module, p.Services, p.Drives, p.Progress);
        return Control<QLabel>(fresh, QStringLiteral("Label7")).text();
    }();
    QCOMPARE(before, Utf8Text(kContactText));
    QVERIFY(before.startsWith("E-mail: "));
    for (const Choice choice : {French, German, English, French}) {
        p.Choose(choice);
        QCOMPARE(p.ConverterControl<QLabel>("Label7").text(), before);
        p.Back();
    }
}

void MainTest::startWindowUnchanged_data() {
    QTest::addColumn<QList<int>>("choices");
    QTest::newRow("French") << QList<int>{French};
    QTest::newRow("German") << QList<int>{German};
    QTest::newRow("English") << QList<int>{English};
    QTest::newRow("English, German, French") << QList<int>{English, German, French};
}

// The start window's caption, texts, tooltips and places stay as they are under any profile.
void MainTest::startWindowUnchanged() {
    QFETCH(QList<int>, choices);
    Program p;
    const QStringList before = StartWindowTexts(*p.Start);
    QCOMPARE(before.size(), 9); // the caption and the eight controls
    for (const int choice : choices) {
        p.Choose(Choice(choice));
        p.Back();
        QVERIFY(p.Start->isVisible());
        QCOMPARE(StartWindowTexts(*p.Start), before);
    }
}

void MainTest::ending_data() {
    QTest::addColumn<bool>("converterWindow");
    QTest::addColumn<QString>("how");
    QTest::newRow("STOP before any choice") << false << "STOP";
    QTest::newRow("STOP after a choice and back") << true << "STOP";
    QTest::newRow("start window's title bar before any choice") << false << "close Main";
    QTest::newRow("start window's title bar after a choice and back") << true << "close Main";
    QTest::newRow("converter window's title bar") << true << "close Form1";
}

// STOP ends the program, with or without the converter window; so does closing either window
// through its title bar.
void MainTest::ending() {
    QFETCH(bool, converterWindow);
    QFETCH(QString, how);
    Program p;
    if (converterWindow) {
        p.Choose(German);
        if (how != "close Form1") {
            p.Back();
        }
    }
    if (how == "close Form1") {
        QVERIFY(p.Start->isHidden());
    }
    QCOMPARE(ExecAround([&] {
                 if (how == "STOP") {
                     p.StartControl("Command4").click();
                 } else if (how == "close Main") {
                     p.Start->close();
                 } else {
                     Program::Converter()->close();
                 }
             }),
             0);
    QVERIFY(!p.Start->isVisible());
    QVERIFY(!Program::Converter() || !Program::Converter()->isVisible());
    QCOMPARE(p.Messages, QStringList());
}

void MainTest::screenshots_data() {
    QTest::addColumn<QString>("what"); // "Main", "Form1", the "progress" dialog, a "failure" box
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("file");
    QTest::newRow("start window") << "Main" << -1 << "main.png";
    QTest::newRow("French") << "Form1" << int(French) << "form1-french.png";
    QTest::newRow("German") << "Form1" << int(German) << "form1-german.png";
    QTest::newRow("English") << "Form1" << int(English) << "form1-english.png";
    QTest::newRow("German progress dialog") << "progress" << int(German) << "progress-german.png";
    QTest::newRow("German failure box") << "failure" << int(German) << "failure-german.png";
}

// Each window as the user sees it, drawn offscreen. With RZ408_SCREENSHOTS=DIR set the
// pictures are written to DIR (the README's screenshots).
void MainTest::screenshots() {
    QFETCH(QString, what);
    QFETCH(int, choice);
    QFETCH(QString, file);

    Program p;
    // A game folder as a user has it, with its campaign texts.
    QDir(p.Folder.path()).mkpath("Vandrok/scenario");
    QDir(p.Folder.path()).mkpath("Vandrok/userscen");
    const QString game = p.Folder.path() + "/Vandrok";
    for (const char* name : {"campaign.deu", "campaign.fra", "units.deu", "units.fra", "readme.txt",
                             "Tolvar Quennel.tqu"}) {
        WriteFile(game + '/' + name, "text\r\n");
    }

    QImage shot;
    if (what == "Main") {
        shot = p.Start->grab().toImage();
        QCOMPARE(shot.size() / shot.devicePixelRatio(), QSize(278, 238));
    } else {
        Form1* form = p.Choose(Choice(choice));
        p.OpenFolder(game);
        if (what == "Form1") {
            shot = form->grab().toImage();
            QCOMPARE(shot.size() / shot.devicePixelRatio(), QSize(734, 425));
        } else {
            // A long run held at its twelfth file of 40, or a copy that cannot be written.
            if (what == "progress") {
                p.Progress.HoldAt(12);
                for (int i = 1; i <= 38; ++i) {
                    WriteFile(game + QStringLiteral("/kapitel%1.deu").arg(i, 2, 10, QChar('0')),
                              "text\r\n");
                }
            } else {
                QVERIFY(QDir(game).mkdir("units.txt"));
            }
            p.ConverterControl<FileListBox>("File1").Refresh();
            QString shown;
            p.Dialogs.Answer = [&](QDialog* dialog) {
                if (auto* progress = qobject_cast<QProgressDialog*>(dialog)) {
                    QTRY_COMPARE(progress->findChild<QProgressBar*>()->text(),
                                 QStringLiteral("12 von 40 Dateien"));
                    shot = progress->grab().toImage();
                    shown = progress->labelText();
                    p.Progress.Release();
                } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                    if (what == "failure") {
                        shot = box->grab().toImage();
                        shown = box->text();
                    }
                    p.Dialogs.Close(box);
                }
            };
            QCOMPARE(ExecAround([&] {
                         QTest::mouseClick(&p.ConverterControl("Command1"), Qt::LeftButton);
                     }),
                     test::kStillRunning);
            QCOMPARE(shown.section('\n', what == "progress" ? 0 : 2, 2),
                     Utf8Text(what == "progress" ? kGermanProfile.Messages.Converting
                                                 : kGermanProfile.Messages.OneFileFailed));
        }
    }

    const QByteArray target = qgetenv("RZ408_SCREENSHOTS");
    if (!target.isEmpty()) {
        QVERIFY(QDir().mkpath(QString::fromLocal8Bit(target)));
        QVERIFY(shot.save(QString::fromLocal8Bit(target) + '/' + file));
    }
}

QTEST_MAIN(MainTest)
#include "MainTest.moc"
