#include "Form1.h"

#include "Controls.h"
#include "Conversion.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "DriveSystem.h"
#include "Encoding.h"
#include "FileListBox.h"
#include "FsPath.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "Twips.h"
#include "WindowServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>

#include <exception>

namespace rz408 {

namespace {

// The window's own texts, shown until a language is chosen.
const char* const kCaption = "Vandrok-text konverter für Userpatch.";
const char* const kConvertCaption = "Konvertiere DEU zu TXT  ";
const char* const kBackCaption = "Ende";
const char* const kLabel5 = "Du brauchst Drei Ordnern zu konvertieren: Hauptordner (gorvald3 "
                            "oder so ...) , danach scenario und userscen.";
const char* const kLabel6 = "Bei neuer installation von campaigns und scenarios einfach wieder "
                            "diese programm benutzen.";

// At most this many failed files are named in the end-of-run message.
constexpr std::size_t kFailuresShown = 20;

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& geometry, bool bold, bool italic,
                  const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(Form1::LabelFont(bold, italic));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// The end-of-run message: the count, then, in plain English, each file that failed.
QString RunMessage(const Module1& module, const RunReport& report) {
    QString text = Text(CountMessageText(module, report));
    if (report.failures.empty()) {
        return text;
    }
    const std::size_t failed = report.failures.size();
    text += failed == 1 ? QStringLiteral("\n\n1 file could not be converted:")
                        : QStringLiteral("\n\n%1 files could not be converted:").arg(failed);
    for (std::size_t i = 0; i < failed && i < kFailuresShown; ++i) {
        text += QStringLiteral("\n") + Text(report.failures[i].name) + QStringLiteral(": ") +
                Text(report.failures[i].reason);
    }
    if (failed > kFailuresShown) {
        text += QStringLiteral("\n... and %1 more.").arg(failed - kFailuresShown);
    }
    return text;
}

} // namespace

QFont Form1::LabelFont(bool bold, bool italic) {
    // Where the classic font is missing, a narrower one: every help text of every language
    // then fits its label with room to spare.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Arial Narrow")});
    font.setPointSizeF(9.75);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

Form1::Form1(Module1& module, WindowServices& services, DriveSystem& drives, QWidget* parent)
    : QWidget(parent), module_(module), services_(services), drives_(drives) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(ProgramIcon());
    // The form font for the lists and buttons.
    setFont(FormFont());
    resize(TwipsSize(11010, 6375));

    Drive1 = new DriveListBox(drives, this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(TwipsRect(105, 105, 2220, 315));

    Dir1 = new DirListBox(drives, this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(TwipsRect(105, 525, 2220, 2565));

    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(TwipsRect(2310, 105, 1695, 3015));

    Command1 = MakeButton(this, "Command1", TwipsRect(105, 3255, 2220, 435),
                          QString::fromUtf8(kConvertCaption));
    Command2 = MakeButton(this, "Command2", TwipsRect(2415, 3255, 1590, 435),
                          QString::fromUtf8(kBackCaption));

    const auto& german = GermanProfile.LabelTexts;
    QString label2 = Text(german[1]);
    label2.replace(QLatin1Char('\''), QLatin1Char('"'));
    Label1 =
        MakeLabel(this, "Label1", TwipsRect(4095, 105, 6840, 1065), false, false, Text(german[0]));
    Label3 =
        MakeLabel(this, "Label3", TwipsRect(4095, 1200, 6840, 960), false, false, Text(german[2]));
    Label4 =
        MakeLabel(this, "Label4", TwipsRect(4095, 2205, 6840, 1695), false, false, Text(german[3]));
    Label5 = MakeLabel(this, "Label5", TwipsRect(105, 3990, 10830, 540), true, false,
                       QString::fromUtf8(kLabel5));
    Label2 = MakeLabel(this, "Label2", TwipsRect(105, 4620, 10830, 645), true, false, label2);
    Label6 = MakeLabel(this, "Label6", TwipsRect(105, 5355, 10830, 540), true, false,
                       QString::fromUtf8(kLabel6));
    Label7 =
        MakeLabel(this, "Label7", TwipsRect(105, 5985, 10830, 330), true, true, Text(ContactText));

    CentreWhenFirstShown(*this);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command1);
    setTabOrder(Command1, Command2);
    Drive1->setFocus();

    connect(Drive1, &DriveListBox::Change, this, &Form1::Drive1_Change, Qt::DirectConnection);
    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change, Qt::DirectConnection);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

void Form1::ApplyProfile(const LanguageProfile& profile) {
    setWindowTitle(Text(profile.WindowCaption));
    Command1->setText(Text(profile.ConvertCaption));
    Command2->setText(Text(profile.BackCaption));

    // The labels in the order the installation sets them.
    QLabel* const labels[] = {Label1, Label2, Label3, Label4, Label5, Label6, Label7};
    for (const int number : {1, 3, 4, 5, 2, 6, 7}) {
        labels[number - 1]->setText(Text(profile.LabelTexts[static_cast<std::size_t>(number - 1)]));
    }

    // The file list refills at once.
    File1->setPattern(Text(profile.FilePattern));

    InstallProgramTexts(profile, module_);

    Command1->setEnabled(profile.ConvertEnabled);
}

void Form1::Drive1_Change() {
    if (DriveCheckAccepts(drives_, Drive1->Drive().toStdString())) {
        Dir1->setPath(Drive1->Drive());
    } else {
        services_.MsgBox(this, Text(Cp1252ToUtf8(module_.DriveMessage)));
        Drive1->setDrive(QStringLiteral("C:"));
    }
}

void Form1::Dir1_Change() {
    File1->setPath(Dir1->Path());
}

void Form1::Command1_Click() {
    QString message;
    {
        // The run does not return to the event loop: the pointer says so while it works.
        struct WaitCursor {
            WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
            ~WaitCursor() { QApplication::restoreOverrideCursor(); }
        } waiting;
        try {
            // A game folder is small: the copies are flushed to the disk before they replace
            // the old ones, which costs the user nothing and keeps them on thin volumes too.
            RunOptions options;
            options.flushToDisk = true;
            const RunReport report =
                ConversionRun(module_, ToFsPath(File1->Path()), File1->Names(), options);
            message = RunMessage(module_, report);
        } catch (const std::exception& e) {
            // The run reports failed files itself; anything else stops it, and the user
            // learns why while the program goes on.
            message = QStringLiteral("The conversion stopped: ") + QString::fromUtf8(e.what());
        }
    }
    services_.MsgBox(this, message);
}

void Form1::Command2_Click() {
    hide();
    if (isSignalConnected(QMetaMethod::fromSignal(&Form1::Back))) {
        emit Back();
    } else {
        // No window would be left to show.
        services_.EndProgram();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    services_.EndProgram();
}

} // namespace rz408
