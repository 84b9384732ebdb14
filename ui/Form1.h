#pragma once

// The converter window: the drive, folder and file lists that follow one another, the
// convert and back buttons, and seven help labels.

#include <QWidget>

class QLabel;
class QPushButton;

namespace rz408 {

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

    // The window the back button shows (the start window). Without one the back button
    // ends the program.
    void setStartWindow(QWidget* startWindow) { startWindow_ = startWindow; }

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
    // Hides this window and shows the start window.
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Module1& module_;
    WindowServices& services_;
    DriveSystem& drives_;
    QWidget* startWindow_ = nullptr;
};

} // namespace rz408
