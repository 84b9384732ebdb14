// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "BackgroundRun.h"
#include "Buttons.h"
#include "ConversionRun.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "DriveSystem.h"
#include "Encoding.h"
#include "FileListBox.h"
#include "FolderWatch.h"
#include "FsPath.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "Pictures.h"
#include "ProfileText.h"
#include "RunMessage.h"
#include "RunProgress.h"
#include "Twips.h"
#include "WindowFont.h"
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

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace rz408 {

namespace {

// Until a language is chosen the window shows the German profile's texts, but for Label2,
// which has double quotes in place of the profile's single ones, and these two.
const char* const kLabel5 = "Du brauchst Drei Ordnern zu konvertieren: Hauptordner (gorvald3 "
                            "oder so ...) , danach scenario und userscen.";
const char* const kLabel6 = "Bei neuer installation von campaigns und scenarios einfach wieder "
                            "diese programm benutzen.";

// Changes in a watched folder come in bursts (a player copying many files): the lists are
// read again once this long after the first change of a burst.
constexpr int kRefreshDelayMs = 200;

// A run that lasts longer than this shows the progress dialog.
constexpr int kProgressDelayMs = 500;

// How the wait for a run ends.
enum RunWait { RunEnded = 1, ShowProgress, CancelPressed };

// Keeps the user's input from WINDOW and its controls while it lives: the progress dialog of
// a run takes it instead. The dialog does not block the window as a modal one would, since a
// window blocked by a modal dialog is not told when the user closes it through its frame;
// closing it, and moving it, stay the window manager's.
class InputShield : public QObject {
public:
    explicit InputShield(QWidget& window) : m_window(window) { qApp->installEventFilter(this); }
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
        if (widget == nullptr || widget->window() != &m_window) {
            return false;
        }
        // Left unhandled, so that the system's own keys (Alt+F4 on Windows) still act.
        event->ignore();
        return true;
    }

private:
    QWidget& m_window;
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& geometry, bool bold, bool italic,
                  const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(LabelFont(bold, italic));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

} // namespace

Form1::Form1(Module1& module, WindowServices& services, DriveSystem& drives, RunProgress& progress,
             QWidget* parent)
    : QWidget(parent), m_module(module), m_services(services), m_drives(drives),
      m_progress(progress), m_profile(&kGermanProfile), m_watch(new FolderWatch(this)),
      m_refreshTimer(new QTimer(this)) {
    const LanguageProfile& german = kGermanProfile;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Text(german.WindowCaption));
    setWindowIcon(ProgramIcon());
    // The form font for the lists and buttons.
    setFont(FormFont());
    resize(TwipsSize(11010, 6375));

    Ui& ui = m_ui;
    ui.Drive1 = new DriveListBox(drives, this);
    ui.Drive1->setObjectName(QStringLiteral("Drive1"));
    ui.Drive1->setGeometry(TwipsRect(105, 105, 2220, 315));

    ui.Dir1 = new DirListBox(drives, this);
    ui.Dir1->setObjectName(QStringLiteral("Dir1"));
    ui.Dir1->setGeometry(TwipsRect(105, 525, 2220, 2565));

    ui.File1 = new FileListBox(this);
    ui.File1->setObjectName(QStringLiteral("File1"));
    ui.File1->setGeometry(TwipsRect(2310, 105, 1695, 3015));

    ui.Command1 =
        MakeButton(this, "Command1", TwipsRect(105, 3255, 2220, 435), Text(german.ConvertCaption));
    ui.Command2 =
        MakeButton(this, "Command2", TwipsRect(2415, 3255, 1590, 435), Text(german.BackCaption));

    const auto& labels = german.LabelTexts;
    QString label2 = Text(labels[1]);
    label2.replace(QLatin1Char('\''), QLatin1Char('"'));
    ui.Label1 =
        MakeLabel(this, "Label1", TwipsRect(4095, 105, 6840, 1065), false, false, Text(labels[0]));
    ui.Label3 =
        MakeLabel(this, "Label3", TwipsRect(4095, 1200, 6840, 960), false, false, Text(labels[2]));
    ui.Label4 =
        MakeLabel(this, "Label4", TwipsRect(4095, 2205, 6840, 1695), false, false, Text(labels[3]));
    ui.Label5 = MakeLabel(this, "Label5", TwipsRect(105, 3990, 10830, 540), true, false,
                          QString::fromUtf8(kLabel5));
    ui.Label2 = MakeLabel(this, "Label2", TwipsRect(105, 4620, 10830, 645), true, false, label2);
    ui.Label6 = MakeLabel(this, "Label6", TwipsRect(105, 5355, 10830, 540), true, false,
                          QString::fromUtf8(kLabel6));
    ui.Label7 =
        MakeLabel(this, "Label7", TwipsRect(105, 5985, 10830, 330), true, true, Text(labels[6]));

    CentreWhenFirstShown(*this);

    setTabOrder(ui.Drive1, ui.Dir1);
    setTabOrder(ui.Dir1, ui.File1);
    setTabOrder(ui.File1, ui.Command1);
    setTabOrder(ui.Command1, ui.Command2);
    ui.Drive1->setFocus();

    connect(ui.Drive1, &DriveListBox::Change, this, &Form1::Drive1_Change, Qt::DirectConnection);
    connect(ui.Dir1, &DirListBox::Change, this, &Form1::Dir1_Change, Qt::DirectConnection);
    connect(ui.Dir1, &DirListBox::OpenFailed, this, &Form1::FolderFailed);
    connect(ui.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    // The lists stay true while files and folders come and go under them.
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(kRefreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &Form1::RefreshLists);
    connect(m_watch, &FolderWatch::Changed, m_refreshTimer, [this] {
        if (!m_refreshTimer->isActive()) {
            m_refreshTimer->start();
        }
    });
    WatchFolders();
}

Form1::~Form1() = default;

void Form1::ApplyProfile(const LanguageProfile& profile) {
    setWindowTitle(Text(profile.WindowCaption));
    m_ui.Command1->setText(Text(profile.ConvertCaption));
    m_ui.Command2->setText(Text(profile.BackCaption));

    // The labels in the order the installation sets them.
    QLabel* const labels[] = {m_ui.Label1, m_ui.Label2, m_ui.Label3, m_ui.Label4,
                              m_ui.Label5, m_ui.Label6, m_ui.Label7};
    for (const int number : {1, 3, 4, 5, 2, 6, 7}) {
        labels[number - 1]->setText(Text(profile.LabelTexts[static_cast<std::size_t>(number - 1)]));
    }

    // The file list refills at once.
    m_ui.File1->SetPattern(Text(profile.FilePattern));

    InstallProgramTexts(profile, m_module);
    m_profile = &profile;

    m_ui.Command1->setEnabled(profile.ConvertEnabled);
}

void Form1::Drive1_Change() {
    if (DriveCheckAccepts(m_drives, m_ui.Drive1->Drive().toStdString())) {
        m_ui.Dir1->SetPath(m_ui.Drive1->Drive());
    } else {
        m_services.MsgBox(this, Text(Cp1252ToUtf8(m_module.DriveMessage)));
        m_ui.Drive1->SetDrive(QStringLiteral("C:"));
    }
}

void Form1::Dir1_Change() {
    m_ui.File1->SetPath(m_ui.Dir1->Path());
    WatchFolders();
}

void Form1::Command1_Click() {
    if (m_run != nullptr) {
        return; // one run at a time
    }
    // The copies are flushed to the disk before they replace the old ones, as every run does.
    RunOptions options;
    // The run converts the sources the folder holds now, also those that came after the list
    // was last read and before the notice of them arrived.
    FileListBox& files = *m_ui.File1;
    files.Refresh();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.ListCount()));
    for (int i = 0; i < files.ListCount(); ++i) {
        names.push_back(files.List(i));
    }
    BackgroundRun run(m_module, ToFsPath(files.Path()), std::move(names), options, m_progress);
    m_run = &run;
    const bool ended = AwaitRun(run);
    m_run = nullptr;
    if (!ended) {
        // The program is ending: the file being written is finished first.
        run.Cancel();
        run.Wait();
        return;
    }
    if (m_refreshAfterRun) {
        m_refreshAfterRun = false;
        RefreshLists();
    }
    if (m_backAfterRun) {
        m_backAfterRun = false;
        Command2_Click();
        return;
    }
    const ProgramMessages& messages = m_profile->Messages;
    m_services.MsgBox(this, run.Stopped().isEmpty() ? RunMessage(m_module, messages, run.Report())
                                                    : Fill(messages.RunStopped, run.Stopped()));
}

bool Form1::AwaitRun(BackgroundRun& run) {
    QEventLoop loop;
    // Heard even between two turns of the loop, when no exit would reach it.
    bool ended = false;
    connect(&run, &BackgroundRun::Finished, &loop, [&loop, &ended] {
        ended = true;
        loop.exit(RunEnded);
    });
    const auto wait = [&loop, &ended](QEventLoop::ProcessEventsFlags flags) {
        return ended ? int(RunEnded) : loop.exec(flags);
    };
    QTimer later;
    later.setSingleShot(true);
    connect(&later, &QTimer::timeout, &loop, [&loop] { loop.exit(ShowProgress); });

    // At first the window repaints but takes no input: most runs end before anyone could
    // give any.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    later.start(kProgressDelayMs);
    run.Start();
    int how = wait(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    if (how != ShowProgress) {
        return how == RunEnded;
    }

    // A long run: the progress dialog, whose Cancel stops the run after its file. It alone
    // takes input; the window can still be closed, which ends the program after that file.
    const ProgramMessages& messages = m_profile->Messages;
    const InputShield shield(*this);
    QProgressDialog dialog(this);
    dialog.setWindowTitle(QString::fromUtf8(kProgramName));
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
    connect(&m_progress, &RunProgress::Progress, &dialog, show);
    const auto cancel = [&run, &loop] {
        run.Cancel();
        loop.exit(CancelPressed);
    };
    connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
    connect(&dialog, &QDialog::rejected, &loop, cancel);
    show(run.Done(), run.Listed());
    dialog.show();
    how = wait(QEventLoop::AllEvents);
    if (how == CancelPressed) {
        // The file being written is finished; meanwhile the dialog says so and takes no input.
        dialog.setLabelText(Text(messages.Stopping));
        if (QPushButton* button = dialog.findChild<QPushButton*>()) {
            button->setEnabled(false);
        }
        how = wait(QEventLoop::ExcludeUserInputEvents);
    }
    return how == RunEnded;
}

void Form1::Command2_Click() {
    if (m_run != nullptr) {
        m_backAfterRun = true;
        m_run->Cancel();
        return;
    }
    hide();
    if (isSignalConnected(QMetaMethod::fromSignal(&Form1::Back))) {
        emit Back();
    } else {
        // No window would be left to show.
        m_services.EndProgram();
    }
}

void Form1::RefreshLists() {
    if (m_run != nullptr) {
        m_refreshAfterRun = true;
        return;
    }
    const QString before = m_ui.Dir1->Path();
    m_ui.Dir1->Refresh(); // a gone open folder changes the path: the file list follows
    if (m_ui.Dir1->Path() == before) {
        m_ui.File1->Refresh();
    }
    WatchFolders();
}

void Form1::WatchFolders() {
    m_watch->SetFolders(m_ui.Dir1->Chain());
}

void Form1::FolderFailed(const QString& folder, const QString& reason) {
    m_services.MsgBox(this, Fill(m_profile->Messages.FolderFailed, folder, reason));
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
    if (m_run != nullptr) {
        m_run->Cancel(); // the run finishes its file before the program ends
    }
    m_services.EndProgram();
}

} // namespace rz408
