// SPDX-License-Identifier: GPL-3.0-or-later
// rz408-window-facts.exe: prints what the desktop program's test under Wine
// (desktop-under-wine.sh) looks for on the screen, taken from the program's own code rather
// than copied into the test: each window's caption and client size, the place of each named
// control in its window's client area, and the texts of the language profiles. One
// "key=value" line each, UTF-8. Runs on the offscreen platform.

#include "DriveSystem.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Main.h"
#include "Module1.h"
#include "ProfileText.h"
#include "RunProgress.h"
#include "WindowFont.h"
#include "WindowServices.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

void Print(const QString& key, const QString& value) {
    std::printf("%s=%s\n", key.toUtf8().constData(), value.toUtf8().constData());
}

// "left top width height" of WIDGET in the client area of WINDOW.
QString Place(const QWidget& widget, const QWidget& window) {
    const QPoint origin = widget.mapTo(&window, QPoint(0, 0));
    return QStringLiteral("%1 %2 %3 %4")
        .arg(origin.x())
        .arg(origin.y())
        .arg(widget.width())
        .arg(widget.height());
}

void PrintWindow(const QString& name, const QWidget& window) {
    Print(name + QStringLiteral(".caption"), window.windowTitle());
    Print(name + QStringLiteral(".client"),
          QStringLiteral("%1 %2").arg(window.width()).arg(window.height()));
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->objectName().isEmpty() && !control->objectName().startsWith(u"qt_")) {
            Print(name + QLatin1Char('.') + control->objectName(), Place(*control, window));
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    rz408::InstallFontSubstitutes();
    rz408::Module1 module;
    rz408::WindowServices services;
    rz408::RunProgress progress;
    const std::unique_ptr<rz408::DriveSystem> drives = rz408::MakeSystemDrives();

    rz408::Main start(module, services, *drives, progress);
    PrintWindow(QStringLiteral("Main"), start);
    rz408::Form1 form(module, services, *drives, progress);
    PrintWindow(QStringLiteral("Form1"), form);

    const std::pair<const char*, const rz408::LanguageProfile*> profiles[] = {
        {"french", &rz408::kFrenchProfile},
        {"german", &rz408::kGermanProfile},
        {"english", &rz408::kEnglishProfile}};
    for (const auto& [language, profile] : profiles) {
        const QString prefix = QString::fromLatin1(language) + QLatin1Char('.');
        Print(prefix + QStringLiteral("WindowCaption"), rz408::Text(profile->WindowCaption));
        Print(prefix + QStringLiteral("DriveMessage"), rz408::Text(profile->DriveMessage));
        Print(prefix + QStringLiteral("LogBaseName"), rz408::Text(profile->LogBaseName));
    }
    Print(QStringLiteral("MessageBoxCaption"), QString::fromUtf8(rz408::kProgramName));
    Print(QStringLiteral("Platform"), QString::fromLatin1(rz408::PlatformChoice()));
    return 0;
}
