#include "ProfileInstallation.h"

#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Main.h"

#include <QLabel>
#include <QPushButton>

#include <string_view>

namespace rz408 {

namespace {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

void InstallProfile(const LanguageProfile& profile, Main& startWindow, Module1& m) {
    startWindow.hide();
    Form1& form = startWindow.ShowConverterWindow();

    form.setWindowTitle(Text(profile.WindowCaption));
    form.Command1->setText(Text(profile.ConvertCaption));
    form.Command2->setText(Text(profile.BackCaption));

    // The labels in the order the classic installation sets them.
    QLabel* const labels[] = {form.Label1, form.Label2, form.Label3, form.Label4,
                              form.Label5, form.Label6, form.Label7};
    for (const int number : {1, 3, 4, 5, 2, 6, 7}) {
        labels[number - 1]->setText(Text(profile.LabelTexts[static_cast<std::size_t>(number - 1)]));
    }

    // The file list refills at once.
    form.File1->setPattern(Text(profile.FilePattern));

    InstallProgramTexts(profile, m);

    form.Command1->setEnabled(profile.ConvertEnabled);
}

} // namespace rz408
