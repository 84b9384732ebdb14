#pragma once

// The converter window: the drive, folder and file lists that follow one another, the
// convert and back buttons, and seven help labels.

#include <QWidget>

class QLabel;
class QPushButton;

namespace rz408 {

struct LanguageProfile;
struct Module1;
class DriveSystem;
class WindowServices;
class DriveListBox;
class DirListBox;
class FileListBox;

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Builds the window with its own German texts; the lists stand on the process's current
    // drive and folder, and no drive check runs until the user picks a drive.
    Form1(Module1& module, WindowServices& services, DriveSystem& drives,
          QWidget* parent = nullptr);

    // Takes PROFILE, in this order: the window's caption, the captions of Command1 and
    // Command2, the texts of Label1, Label3, Label4, Label5, Label2, Label6 and Label7, the
    // pattern of File1 (the list refills at once), the five program-wide texts, and last the
    // enabled state of Command1. Every field is set, so nothing of an earlier profile
    // survives. Drive1 and Dir1 are not touched.
    void ApplyProfile(const LanguageProfile& profile);

    // The font of the help labels: "MS Sans Serif" 9.75 point, where that is missing
    // Liberation Sans Narrow (or Arial Narrow) of the same size.
    static QFont LabelFont(bool bold, bool italic);

    // The controls, named as the window's objectName of each.
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

public slots:
    // The drive check: an accepted drive opens its current folder in Dir1; a refused one
    // shows DriveMessage and goes back to drive C:.
    void Drive1_Change();
    // The file list follows the folder list.
    void Dir1_Change();
    // The conversion of every file that File1 shows, then one message with the count and,
    // where files failed, each failed file with the system's reason.
    void Command1_Click();
    // Hides this window and says Back; with nobody to hear it, ends the program.
    void Command2_Click();

signals:
    // The back button hid this window: the start window is to be shown.
    void Back();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Module1& module_;
    WindowServices& services_;
    DriveSystem& drives_;
};

} // namespace rz408
