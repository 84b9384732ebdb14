// SPDX-License-Identifier: GPL-3.0-or-later
// The converter window with the keyboard and as a window: the tab order, Enter on the focused
// button, its place on the screen, closing it and its back button.

#include "ConverterRig.h"
#include "QtTestFiles.h"
#include "WindowTests.h"

#include "WindowFont.h"

#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace rz408;
using namespace rz408::test;

class Form1WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void focusAndTabOrder();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void centredOnFirstShowOnly();
    void closingEndsProgram();
    void backButton_data();
    void backButton();
};

void Form1WindowTest::focusAndTabOrder() {
    ConverterRig rig;
    QVERIFY(rig.ShowActive());
    QCOMPARE(QApplication::focusWidget(), &rig.Drive1());
    const QStringList order{QStringLiteral("Dir1"), QStringLiteral("File1"),
                            QStringLiteral("Command1"), QStringLiteral("Command2"),
                            QStringLiteral("Drive1")};
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
}

void Form1WindowTest::enterPressesTheFocusedButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<bool>("goesBack");

    QTest::newRow("Enter on the convert button")
        << "Command1" << int(Qt::Key_Return) << true << false;
    QTest::newRow("keypad Enter on the convert button")
        << "Command1" << int(Qt::Key_Enter) << true << false;
    QTest::newRow("Enter on the back button") << "Command2" << int(Qt::Key_Return) << false << true;
    QTest::newRow("Enter in the file list converts nothing")
        << "File1" << int(Qt::Key_Return) << false << false;
    QTest::newRow("Enter in the drive list converts nothing")
        << "Drive1" << int(Qt::Key_Return) << false << false;
}

// Enter presses the button that has the focus, as Space does; in a list it presses no button.
void Form1WindowTest::enterPressesTheFocusedButton() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, converts);
    QFETCH(bool, goesBack);

    ConverterRig rig;
    QWidget start;
    connect(rig.Form.get(), &Form1::Back, &start, &QWidget::show);
    QVERIFY(rig.ShowActive());
    QWidget* target = rig.Form->findChild<QWidget*>(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QCOMPARE(ExecAround([&] { QTest::keyClick(target, Qt::Key(key), modifiers); }), kStillRunning);

    const QString log = rig.Folder('c') + QStringLiteral("/konvertionsfehler.txt");
    QCOMPARE(QFile::exists(log), converts);
    QCOMPARE(rig.Messages.size(), converts ? 1 : 0);
    QCOMPARE(rig.Form->isVisible(), !goesBack);
    QCOMPARE(start.isVisible(), goesBack);
}

void Form1WindowTest::centredOnFirstShowOnly() {
    ConverterRig rig;
    QVERIFY(rig.Show());
    const QRect area = rig.Form->screen()->availableGeometry();
    const QRect frame = rig.Form->frameGeometry();
    QVERIFY(area.width() > frame.width() && area.height() > frame.height());
    QVERIFY(qAbs(frame.left() - area.left() - (area.right() - frame.right())) <= 1);
    QVERIFY(qAbs(frame.top() - area.top() - (area.bottom() - frame.bottom())) <= 1);

    // Hidden and shown again, it stands where the user left it.
    const QPoint left = frame.topLeft() + QPoint(20, 10);
    rig.Form->move(left);
    rig.Form->hide();
    QVERIFY(rig.Show());
    QCOMPARE(rig.Form->frameGeometry().topLeft(), left);
}

// Closed through its title bar, the window ends the program: another window open closes too.
void Form1WindowTest::closingEndsProgram() {
    ConverterRig rig;
    QWidget other;
    other.show();
    QVERIFY(rig.Show());
    QCOMPARE(ExecAround([&] { rig.Form->close(); }), 0);
    QVERIFY(!rig.Form->isVisible());
    QVERIFY(!other.isVisible());
}

void Form1WindowTest::backButton_data() {
    QTest::addColumn<bool>("withStartWindow");
    QTest::newRow("says Back: the start window shows") << true;
    QTest::newRow("with nobody to hear it, ends the program") << false;
}

void Form1WindowTest::backButton() {
    QFETCH(bool, withStartWindow);

    ConverterRig rig;
    QWidget start;
    if (withStartWindow) {
        connect(rig.Form.get(), &Form1::Back, &start, &QWidget::show);
    }
    QVERIFY(rig.Show());
    const QString folder = rig.Dir1().Path();
    QCOMPARE(ExecAround([&] { QTest::mouseClick(&rig.Button("Command2"), Qt::LeftButton); }),
             withStartWindow ? kStillRunning : 0);
    QVERIFY(!rig.Form->isVisible());
    QCOMPARE(start.isVisible(), withStartWindow);
    QCOMPARE(rig.Dir1().Path(), folder);
    QCOMPARE(Entries(rig.File1()), QStringList{"c.deu"});
}

QTEST_MAIN(Form1WindowTest)
#include "Form1WindowTest.moc"
