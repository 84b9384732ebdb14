// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "BackgroundRun.h"
#include "Controls.h"
#include "Conversion.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "DriveSystem.h"
#include "Encoding.h"
#include "FileListBox.h"
#include "FolderWatch.h"
#include "FsPath.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "RunMessage.h"
#include "Twips.h"
#include "WindowServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMetaMethod>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

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

// Changes in a watched folder come in bursts (a player copying many files): the lists are
// read again once this long after the first change of a burst.
constexpr int kRefreshDelayMs = 200;

// How the wait for a run ends.
enum RunWait { kRunEnded = 1, kShowProgress, kCancelPressed };

// Keeps the user's input from WINDOW and its controls while it lives: the progress dialog of
// a run takes it instead. The dialog does not block the window as a modal one would, since a
// window blocked by a modal dialog is not told when the user closes it through its frame;
// closing it, and moving it, stay the window manager's.
class InputShield : public QObject {
public:
    explicit InputShield(QWidget& window) : window_(window) { qApp->installEventFilter(this); }
    ~InputShield() override { qApp->removeEventFilter(this); }
    InputShield(const InputShield&) = delete;
    InputShield& operator=(const InputShield&) = delete;

    bool eventFilter(QObject* object, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            break;
        default:
            return false;
        }
        const auto* widget = qobject_cast<const QWidget*>(object);
        if (widget == nullptr || widget->window() != &window_) {
            return false;
        }
        // Left unhandled, so that the system's own keys (Alt+F4 on Windows) still act.
        event->ignore();
        return true;
    }

private:
    QWidget& window_;
};

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

} // namespace

QFont Form1::LabelFont(bool bold, bool italic) {
    // Where MS Sans Serif is missing, a narrower one: every help text of every language then
    // fits its label with room to spare.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Arial Narrow")});
    font.setPointSizeF(9.75);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

Form1::Form1(Module1& module, WindowServices& services, DriveSystem& drives, QWidget* parent)
    : QWidget(parent), module_(module), services_(services), drives_(drives),
      profile_(&kGermanProfile), watch_(new FolderWatch(this)), refreshTimer_(new QTimer(this)) {
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

    const auto& german = kGermanProfile.LabelTexts;
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
    connect(Dir1, &DirListBox::OpenFailed, this, &Form1::FolderFailed);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    // The lists stay true while files and folders come and go under them.
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, &Form1::RefreshLists);
    connect(watch_, &FolderWatch::changed, refreshTimer_, [this] {
        if (!refreshTimer_->isActive()) {
            refreshTimer_->start();
        }
    });
    WatchFolders();
}

Form1::~Form1() = default;

void Form1::SetAfterFileHook(std::function<void(std::size_t)> hook) {
    afterFileHook_ = std::move(hook);
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
    profile_ = &profile;

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
    WatchFolders();
}

void Form1::Command1_Click() {
    if (run_ != nullptr) {
        return; // one run at a time
    }
    // The copies are flushed to the disk before they replace the old ones, as every run does.
    RunOptions options;
    // The run converts the sources the folder holds now, also those that came after the list
    // was last read and before the notice of them arrived.
    File1->Refresh();
    BackgroundRun run(module_, ToFsPath(File1->Path()), File1->Names(), options, afterFileHook_);
    run_ = &run;
    const bool ended = AwaitRun(run);
    run_ = nullptr;
    if (!ended) {
        // The program is ending: the file being written is finished first.
        run.Cancel();
        run.Wait();
        return;
    }
    if (refreshAfterRun_) {
        refreshAfterRun_ = false;
        RefreshLists();
    }
    if (backAfterRun_) {
        backAfterRun_ = false;
        Command2_Click();
        return;
    }
    const ProgramMessages& messages = profile_->Messages;
    services_.MsgBox(this, run.Stopped().isEmpty() ? RunMessage(module_, messages, run.Report())
                                                   : Fill(messages.RunStopped, run.Stopped()));
}

bool Form1::AwaitRun(BackgroundRun& run) {
    QEventLoop loop;
    // Heard even between two turns of the loop, when no exit would reach it.
    bool ended = false;
    connect(&run, &BackgroundRun::Finished, &loop, [&loop, &ended] {
        ended = true;
        loop.exit(kRunEnded);
    });
    const auto wait = [&loop, &ended](QEventLoop::ProcessEventsFlags flags) {
        return ended ? int(kRunEnded) : loop.exec(flags);
    };
    QTimer later;
    later.setSingleShot(true);
    connect(&later, &QTimer::timeout, &loop, [&loop] { loop.exit(kShowProgress); });

    // At first the window repaints but takes no input: most runs end before anyone could
    // give any.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    later.start(kProgressDelayMs);
    run.Start();
    int how = wait(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    if (how != kShowProgress) {
        return how == kRunEnded;
    }

    // A long run: the progress dialog, whose Cancel stops the run after its file. It alone
    // takes input; the window can still be closed, which ends the program after that file.
    const ProgramMessages& messages = profile_->Messages;
    const InputShield shield(*this);
    QProgressDialog dialog(this);
    dialog.setWindowTitle(QString::fromUtf8(ProgramName));
    dialog.setWindowModality(Qt::NonModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // Cancel keeps the dialog and its count until the run has ended.
    disconnect(&dialog, &QProgressDialog::canceled, &dialog, &QProgressDialog::cancel);
    auto* bar = new QProgressBar(&dialog);
    dialog.setBar(bar);
    dialog.setLabelText(Text(messages.Converting));
    dialog.setMinimumWidth(TwipsToPixels(4800)); // room for the count and the longer texts
    dialog.setCancelButtonText(Text(messages.Cancel));
    const auto show = [&dialog, bar, &messages](std::size_t done, std::size_t listed) {
        bar->setFormat(Fill(messages.FilesDone, QString::number(done), QString::number(listed)));
        dialog.setMaximum(static_cast<int>(listed));
        dialog.setValue(static_cast<int>(done));
    };
    connect(&run, &BackgroundRun::Progress, &dialog, show);
    const auto cancel = [&run, &loop] {
        run.Cancel();
        loop.exit(kCancelPressed);
    };
    connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
    connect(&dialog, &QDialog::rejected, &loop, cancel);
    show(run.Done(), run.Listed());
    dialog.show();
    how = wait(QEventLoop::AllEvents);
    if (how == kCancelPressed) {
        // The file being written is finished; meanwhile the dialog says so and takes no input.
        dialog.setLabelText(Text(messages.Stopping));
        if (QPushButton* button = dialog.findChild<QPushButton*>()) {
            button->setEnabled(false);
        }
        how = wait(QEventLoop::ExcludeUserInputEvents);
    }
    return how == kRunEnded;
}

void Form1::Command2_Click() {
    if (run_ != nullptr) {
        backAfterRun_ = true;
        run_->Cancel();
        return;
    }
    hide();
    if (isSignalConnected(QMetaMethod::fromSignal(&Form1::Back))) {
        emit Back();
    } else {
        // No window would be left to show.
        services_.EndProgram();
    }
}

void Form1::RefreshLists() {
    if (run_ != nullptr) {
        refreshAfterRun_ = true;
        return;
    }
    const QString before = Dir1->Path();
    Dir1->Refresh(); // a gone open folder changes the path: the file list follows
    if (Dir1->Path() == before) {
        File1->Refresh();
    }
    WatchFolders();
}

void Form1::WatchFolders() {
    watch_->setFolders(Dir1->Chain());
}

void Form1::FolderFailed(const QString& folder, const QString& reason) {
    services_.MsgBox(this, Fill(profile_->Messages.FolderFailed, folder, reason));
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Back to the window after working elsewhere: what the lists show may have changed.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        RefreshLists();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (run_ != nullptr) {
        run_->Cancel(); // the run finishes its file before the program ends
    }
    services_.EndProgram();
}

} // namespace rz408
