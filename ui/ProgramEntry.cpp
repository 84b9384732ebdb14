// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's entry: the start window, from which the user chooses the language.

#include "ConversionRun.h"
#include "DriveSystem.h"
#include "Main.h"
#include "Module1.h"
#include "Pictures.h"
#include "RunProgress.h"
#include "WindowFont.h"
#include "WindowServices.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !rz408::PlatformChoice().isEmpty()) {
        qputenv("QT_QPA_PLATFORM", rz408::PlatformChoice());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rz408-textconverter"));
    rz408::InstallFontSubstitutes();
    rz408::LoadPictures();
    QApplication::setWindowIcon(rz408::ProgramIcon());
    rz408::RemoveTemporariesOnInterrupt();

    rz408::Module1 module;
    rz408::WindowServices services;
    rz408::RunProgress progress;
    const std::unique_ptr<rz408::DriveSystem> drives = rz408::MakeSystemDrives();

    // The converter window comes with the first language choice.
    rz408::Main start(module, services, *drives, progress);
    start.ShowWindow();
    return app.exec();
}
