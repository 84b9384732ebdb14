// The desktop program: the converter window with its German texts.

#include "DriveSystem.h"
#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "WindowServices.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rz408-textconverter"));
    rz408::InstallFontSubstitutes();

    rz408::Module1 module;
    rz408::WindowServices services;
    const std::unique_ptr<rz408::DriveSystem> drives = rz408::MakeSystemDrives();

    // German until the start window offers the choice: the messages get their words and the
    // file list its pattern.
    rz408::InstallProgramTexts(rz408::GermanProfile, module);
    rz408::Form1 window(module, services, *drives);
    window.File1->setPattern(
        QString::fromUtf8(rz408::GermanProfile.FilePattern.data(),
                          static_cast<qsizetype>(rz408::GermanProfile.FilePattern.size())));
    window.setWindowIcon(rz408::ProgramIcon());
    window.show();
    return app.exec();
}
