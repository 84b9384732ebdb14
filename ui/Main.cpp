// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"

#include "Controls.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Twips.h"
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

constexpr const char* ExplanationText =
    "This Button is only here, because Tolvar Quennel doesn't like programs in languages he "
    "doesn't understand. Pressing the Tolvar Quennel Button will take you to the same screens as "
    "the French or German versions, only the texts will be in english, and functionality will be "
    "disabled. :o)";

constexpr const char* SmileyTip = "This is just a smiley - Tolvar, no functionality.";

QLabel* MakeSmiley(QWidget* parent, const char* name, int left, int top) {
    const QPixmap smiley(QStringLiteral(":/pictures/smiley.png"));
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromUtf8(name));
    // The picture at its own size, from the control's top left corner, never stretched.
    image->setGeometry(TwipsRect(left, top, 480, 480));
    image->setScaledContents(false);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(smiley);
    image->setToolTip(QString::fromUtf8(SmileyTip));
    return image;
}

} // namespace

Main::Main(Module1& m, WindowServices& services, DriveSystem& drives, QWidget* parent)
    : QWidget(parent), module_(m), services_(services), drives_(drives) {
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

    Command1 = MakeButton(this, "Command1", TwipsRect(105, 105, 1380, 540),
                          QStringLiteral("Je suis Francais"), QStringLiteral("Operation gorvald"));
    Command2 = MakeButton(this, "Command2", TwipsRect(1575, 105, 1380, 540),
                          QStringLiteral("Ich bin Deutsch"), QStringLiteral("Vandrok"));
    Command4 = MakeButton(this, "Command4", TwipsRect(3045, 105, 1065, 540), QStringLiteral("STOP"),
                          QStringLiteral("Terminate program"));

    Frame1 = new QGroupBox(QStringLiteral("Tolvar Quennel Choice"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwipsRect(105, 735, 4005, 2745));
    // A flat frame: a thin line all round, the caption standing in its top border.
    Frame1->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame1 { border: 1px solid palette(mid); border-radius: 0px; margin-top: 6px; }"
        "QGroupBox#Frame1::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0px 2px; }"));

    // The label comes first so that the picture button, which overlaps its last line, stands
    // in front of it.
    Label1 = new QLabel(QString::fromUtf8(ExplanationText), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsRect(105, 315, 3795, 1380));
    // The frame's style sheet would give its children the application's font otherwise.
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);

    Command3 =
        MakeButton(Frame1, "Command3", TwipsRect(1365, 1575, 1170, 1065), QString(),
                   QStringLiteral("I am Tolvar Quennel. I don't like tools I don't understand."));
    const QPixmap portrait(QStringLiteral(":/pictures/portrait.png"));
    QIcon picture;
    // The same picture whether the button is pressed, focused or neither.
    for (const auto mode : {QIcon::Normal, QIcon::Active, QIcon::Selected}) {
        picture.addPixmap(portrait, mode, QIcon::Off);
        picture.addPixmap(portrait, mode, QIcon::On);
    }
    Command3->setIcon(picture);
    Command3->setIconSize(portrait.size());

    Image1 = MakeSmiley(Frame1, "Image1", 315, 1890);
    Image2 = MakeSmiley(Frame1, "Image2", 3045, 1890);

    // Tab order: Command1, Command2, (Frame1), Command3, (Label1), Command4. The frame, the
    // label and the pictures take no focus.
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);

    connect(Command1, &QPushButton::clicked, this, &Main::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Main::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Main::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Main::Command4_Click);

    CentreWhenFirstShown(*this);
}

Main::~Main() = default;

void Main::ShowWindow() {
    if (!shownBefore_) {
        shownBefore_ = true;
        Command1->setFocus();
    }
    show();
}

Form1& Main::ShowConverterWindow() {
    if (!form1_) {
        form1_ = std::make_unique<Form1>(module_, services_, drives_);
        connect(form1_.get(), &Form1::Back, this, &Main::ShowWindow);
    }
    form1_->show();
    return *form1_;
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
    services_.EndProgram();
}

void Main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
}

void Main::closeEvent(QCloseEvent* event) {
    // With the converter window hidden the program would have no window left: end it.
    event->accept();
    services_.EndProgram();
}

} // namespace rz408
