// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"

#include "Buttons.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Pictures.h"
#include "Twips.h"
#include "WindowFont.h"
#include "WindowServices.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

namespace rz408 {

namespace {

constexpr const char* kMainCaption = "RZ408G textfileconverter";

constexpr const char* kExplanationText =
    "This Button is only here, because Tolvar Quennel doesn't like programs in languages he "
    "doesn't understand. Pressing the Tolvar Quennel Button will take you to the same screens as "
    "the French or German versions, only the texts will be in english, and functionality will be "
    "disabled. :o)";

constexpr const char* kSmileyTip = "This is just a smiley - Tolvar, no functionality.";

QLabel* MakeSmiley(QWidget* parent, const char* name, int left, int top) {
    const QPixmap smiley(QStringLiteral(":/pictures/smiley.png"));
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromUtf8(name));
    // The picture at its own size, from the control's top left corner, never stretched.
    image->setGeometry(TwipsRect(left, top, 480, 480));
    image->setScaledContents(false);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(smiley);
    image->setToolTip(QString::fromUtf8(kSmileyTip));
    return image;
}

} // namespace

Main::Main(Module1& m, WindowServices& services, DriveSystem& drives, RunProgress& progress,
           QWidget* parent)
    : QWidget(parent), m_module(m), m_services(services), m_drives(drives), m_progress(progress) {
    LoadPictures();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setWindowIcon(ProgramIcon());
    // The tooltips of the buttons and pictures show also while another window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // The form font, for every text of the window.
    const QFont font = FormFont();
    setFont(font);
    // Fixed places and sizes, no layout: a change of the window's size moves nothing.
    resize(TwipsSize(4170, 3570));
    Ui& ui = m_ui;

    ui.Command1 =
        MakeButton(this, "Command1", TwipsRect(105, 105, 1380, 540),
                   QStringLiteral("Je suis Francais"), QStringLiteral("Operation gorvald"));
    ui.Command2 = MakeButton(this, "Command2", TwipsRect(1575, 105, 1380, 540),
                             QStringLiteral("Ich bin Deutsch"), QStringLiteral("Vandrok"));
    ui.Command4 = MakeButton(this, "Command4", TwipsRect(3045, 105, 1065, 540),
                             QStringLiteral("STOP"), QStringLiteral("Terminate program"));

    ui.Frame1 = new QGroupBox(QStringLiteral("Tolvar Quennel Choice"), this);
    ui.Frame1->setObjectName(QStringLiteral("Frame1"));
    ui.Frame1->setGeometry(TwipsRect(105, 735, 4005, 2745));
    // A flat frame: a thin line all round, the caption standing in its top border.
    ui.Frame1->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame1 { border: 1px solid palette(mid); border-radius: 0px; margin-top: 6px; }"
        "QGroupBox#Frame1::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0px 2px; }"));

    // The label comes first so that the picture button, which overlaps its last line, stands
    // in front of it.
    ui.Label1 = new QLabel(QString::fromUtf8(kExplanationText), ui.Frame1);
    ui.Label1->setObjectName(QStringLiteral("Label1"));
    ui.Label1->setGeometry(TwipsRect(105, 315, 3795, 1380));
    // The frame's style sheet would give its children the application's font otherwise.
    ui.Label1->setFont(font);
    ui.Label1->setWordWrap(true);
    ui.Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui.Label1->setTextFormat(Qt::PlainText);

    ui.Command3 =
        MakeButton(ui.Frame1, "Command3", TwipsRect(1365, 1575, 1170, 1065), QString(),
                   QStringLiteral("I am Tolvar Quennel. I don't like tools I don't understand."));
    const QPixmap portrait(QStringLiteral(":/pictures/portrait.png"));
    QIcon picture;
    // The same picture whether the button is pressed, focused or neither.
    for (const auto mode : {QIcon::Normal, QIcon::Active, QIcon::Selected}) {
        picture.addPixmap(portrait, mode, QIcon::Off);
        picture.addPixmap(portrait, mode, QIcon::On);
    }
    ui.Command3->setIcon(picture);
    ui.Command3->setIconSize(portrait.size());

    ui.Image1 = MakeSmiley(ui.Frame1, "Image1", 315, 1890);
    ui.Image2 = MakeSmiley(ui.Frame1, "Image2", 3045, 1890);

    // Tab order: Command1, Command2, (Frame1), Command3, (Label1), Command4. The frame, the
    // label and the pictures take no focus.
    setTabOrder(ui.Command1, ui.Command2);
    setTabOrder(ui.Command2, ui.Command3);
    setTabOrder(ui.Command3, ui.Command4);

    connect(ui.Command1, &QPushButton::clicked, this, &Main::Command1_Click);
    connect(ui.Command2, &QPushButton::clicked, this, &Main::Command2_Click);
    connect(ui.Command3, &QPushButton::clicked, this, &Main::Command3_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &Main::Command4_Click);

    CentreWhenFirstShown(*this);
}

Main::~Main() = default;

void Main::ShowWindow() {
    if (!m_shownBefore) {
        m_shownBefore = true;
        m_ui.Command1->setFocus();
    }
    show();
}

Form1& Main::ShowConverterWindow() {
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>(m_module, m_services, m_drives, m_progress);
        connect(m_form1.get(), &Form1::Back, this, &Main::ShowWindow);
    }
    m_form1->show();
    return *m_form1;
}

void Main::InstallProfile(const LanguageProfile& profile) {
    hide();
    ShowConverterWindow().ApplyProfile(profile);
}

void Main::Command1_Click() {
    InstallProfile(kFrenchProfile);
}

void Main::Command2_Click() {
    InstallProfile(kGermanProfile);
}

void Main::Command3_Click() {
    InstallProfile(kEnglishProfile);
}

void Main::Command4_Click() {
    m_services.EndProgram();
}

void Main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
}

void Main::closeEvent(QCloseEvent* event) {
    // With the converter window hidden the program would have no window left: end it.
    event->accept();
    m_services.EndProgram();
}

} // namespace rz408
