// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The start window: the program's only way in. Its three choice buttons install a language
// profile and open the converter window; STOP ends the program.

#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;

namespace rz408 {

class DriveSystem;
class Form1;
class RunProgress;
class WindowServices;
struct LanguageProfile;
struct Module1;

class Main : public QWidget {
    Q_OBJECT

public:
    // The window with its controls, not yet shown. M, SERVICES, DRIVES and PROGRESS outlive
    // it; the converter window made later gets them too.
    Main(Module1& m, WindowServices& services, DriveSystem& drives, RunProgress& progress,
         QWidget* parent = nullptr);
    ~Main() override;

    Main(const Main&) = delete;
    Main& operator=(const Main&) = delete;

    // Shows the window; the first time centred on the screen with the focus on Command1.
    void ShowWindow();

protected:
    // Closing the start window through its title bar ends the program.
    void closeEvent(QCloseEvent* event) override;
    // Each showing makes the window the active one, also where no window manager does so.
    void showEvent(QShowEvent* event) override;

private:
    // Language choices and STOP, as the buttons' clicks run them.
    void Command1_Click(); // French
    void Command2_Click(); // German
    void Command3_Click(); // English
    void Command4_Click(); // STOP

    // The installation of PROFILE, what each choice does: this window hidden, the converter
    // window shown (created on first use), then the converter window takes the profile.
    void InstallProfile(const LanguageProfile& profile);

    // The converter window: made visible, created first when it does not exist yet. Its back
    // button shows this window again.
    Form1& ShowConverterWindow();

    // The controls, each named as its objectName.
    struct Ui {
        QPushButton* Command1;
        QPushButton* Command2;
        QPushButton* Command4;
        QGroupBox* Frame1;
        QLabel* Label1;
        QPushButton* Command3;
        QLabel* Image1;
        QLabel* Image2;
    };

    Module1& m_module;
    WindowServices& m_services;
    DriveSystem& m_drives;
    RunProgress& m_progress;
    Ui m_ui{};
    std::unique_ptr<Form1> m_form1;
    bool m_shownBefore = false;
};

} // namespace rz408
