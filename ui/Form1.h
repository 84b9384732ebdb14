// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The converter window: the drive, folder and file lists that follow one another, the
// convert and back buttons, and seven help labels.

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace rz408 {

struct LanguageProfile;
struct Module1;
class BackgroundRun;
class DriveSystem;
class RunProgress;
class WindowServices;
class DriveListBox;
class DirListBox;
class FileListBox;
class FolderWatch;

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Builds the window with its own German texts; the lists stand on the process's current
    // drive and folder, and no drive check runs until the user picks a drive. Its runs tell
    // PROGRESS of each file done.
    Form1(Module1& module, WindowServices& services, DriveSystem& drives, RunProgress& progress,
          QWidget* parent = nullptr);
    ~Form1() override;

    // Takes PROFILE, in this order: the window's caption, the captions of Command1 and
    // Command2, the texts of Label1, Label3, Label4, Label5, Label2, Label6 and Label7, the
    // pattern of File1 (the list refills at once), the five program-wide texts, and last the
    // enabled state of Command1. Every field is set, so nothing of an earlier profile
    // survives. Drive1 and Dir1 are not touched. The window's own messages speak the
    // profile's language from then on (German before any profile).
    void ApplyProfile(const LanguageProfile& profile);

signals:
    // The back button hid this window: the start window is to be shown.
    void Back();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The drive check: an accepted drive opens its current folder in Dir1; a refused one
    // shows DriveMessage and goes back to drive C:.
    void Drive1_Change();
    // The file list follows the folder list; the new folder and its ancestors are watched.
    void Dir1_Change();
    // The conversion of every file that File1 lists, on a thread of its own: the window
    // repaints meanwhile but takes no input; a run of more than half a second shows a
    // progress dialog whose Cancel stops the run after the file being written. Then one
    // message with the count and, where files failed or were read as Unicode, which.
    void Command1_Click();
    // Hides this window and says Back; with nobody to hear it, ends the program. During a run
    // it waits for the file being written, and then does so.
    void Command2_Click();

    // Reads the open folder and the file list again, each keeping its selection; during a run
    // once the run has ended.
    void RefreshLists();
    // Watches the open folder and its ancestors: a change there refreshes the lists.
    void WatchFolders();
    // Shows why FOLDER cannot be opened, in the profile's language.
    void FolderFailed(const QString& folder, const QString& reason);
    // Waits for RUN, started here, with the event loop turning: true once it has ended, false
    // when the program is ending meanwhile.
    bool AwaitRun(BackgroundRun& run);

    // The controls, each named as its objectName.
    struct Ui {
        DriveListBox* Drive1;
        DirListBox* Dir1;
        FileListBox* File1;
        QPushButton* Command1;
        QPushButton* Command2;
        QLabel* Label1;
        QLabel* Label2;
        QLabel* Label3;
        QLabel* Label4;
        QLabel* Label5;
        QLabel* Label6;
        QLabel* Label7;
    };

    Module1& m_module;
    WindowServices& m_services;
    DriveSystem& m_drives;
    RunProgress& m_progress;
    Ui m_ui{};
    const LanguageProfile* m_profile;
    FolderWatch* m_watch;
    QTimer* m_refreshTimer;
    BackgroundRun* m_run = nullptr;
    bool m_refreshAfterRun = false;
    bool m_backAfterRun = false;
};

} // namespace rz408
