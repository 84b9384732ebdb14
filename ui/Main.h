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
class WindowServices;
struct LanguageProfile;
struct Module1;

class Main : public QWidget {
    Q_OBJECT

public:
    // The window with its controls, not yet shown. M, SERVICES and DRIVES outlive it; the
    // converter window made later gets them too.
    Main(Module1& m, WindowServices& services, DriveSystem& drives, QWidget* parent = nullptr);
    ~Main() override;

    Main(const Main&) = delete;
    Main& operator=(const Main&) = delete;

    // Shows the window; the first time centred on the screen with the focus on Command1.
    void ShowWindow();

    // The converter window: made visible, created first when it does not exist yet. Step 2
    // of a profile installation. Its back button shows this window again.
    Form1& ShowConverterWindow();

    // The converter window, or nullptr before the first choice.
    Form1* ConverterWindow() const { return form1_.get(); }

    // Language choices and STOP, as the buttons' clicks run them.
    void Command1_Click(); // French
    void Command2_Click(); // German
    void Command3_Click(); // English
    void Command4_Click(); // STOP

    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command4;
    QGroupBox* Frame1;
    QLabel* Label1;
    QPushButton* Command3;
    QLabel* Image1;
    QLabel* Image2;

protected:
    // Closing the start window through its title bar ends the program.
    void closeEvent(QCloseEvent* event) override;
    // Each showing makes the window the active one, also where no window manager does so.
    void showEvent(QShowEvent* event) override;

private:
    // The installation of PROFILE, what each choice does: this window hidden, the converter
    // window shown (created on first use), then the converter window takes the profile.
    void InstallProfile(const LanguageProfile& profile);

    Module1& module_;
    WindowServices& services_;
    DriveSystem& drives_;
    std::unique_ptr<Form1> form1_;
    bool shownBefore_ = false;
};

} // namespace rz408
