// SPDX-License-Identifier: GPL-3.0-or-later
// The message box and the end of the program, as the user meets them.

#include "WindowServices.h"

#include "QtTestFiles.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace rz408;
using namespace rz408::test;

namespace {

// A window that ends the program when it is closed, as both windows of the program do.
class EndingWindow : public QWidget {
public:
    explicit EndingWindow(WindowServices& services) : m_services(services) {}
    int Closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++Closes;
        event->accept();
        m_services.EndProgram();
    }

private:
    WindowServices& m_services;
};

} // namespace

class WindowServicesTest : public QObject {
    Q_OBJECT

private slots:
    void messageBox_data();
    void messageBox();
    void boxesOneAfterTheOther();
    void endProgramClosesEverything();
    void endingFromACloseHandler();
};

void WindowServicesTest::messageBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");

    QTest::newRow("Enter closes it") << QStringLiteral("Anzahl:  2") << int(Qt::Key_Return);
    QTest::newRow("Space closes it") << QStringLiteral("Anzahl:  2") << int(Qt::Key_Space);
    QTest::newRow("Escape closes it") << QStringLiteral("x") << int(Qt::Key_Escape);
    QTest::newRow("markup shown as it is")
        << QStringLiteral("<b>a&amp;b.deu</b>: Permission denied") << int(Qt::Key_Return);
}

void WindowServicesTest::messageBox() {
    QFETCH(QString, text);
    QFETCH(int, key);

    WindowServices services;
    QWidget parent;
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    // What the box showed, read while it is open; then the key closes it.
    QString title, shown;
    int buttons = -1;
    QMessageBox::Icon icon = QMessageBox::Critical;
    bool modal = false;
    Qt::TextFormat format = Qt::AutoText;
    bool parentBlocked = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
        format = box->textFormat();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        modal = box->isModal();
        parentBlocked = QApplication::activeModalWidget() != &parent;
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, static_cast<Qt::Key>(key));
    });
    services.MsgBox(&parent, text);

    QCOMPARE(shown, text);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(title, QStringLiteral("RZ408 textconverter"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, 1);
    QVERIFY(modal);
    QVERIFY(parentBlocked);
    QVERIFY(!QApplication::activeModalWidget());
}

void WindowServicesTest::boxesOneAfterTheOther() {
    WindowServices services;
    DialogCatcher dialogs;
    services.MsgBox(nullptr, QStringLiteral("eins"));
    QCOMPARE(dialogs.Messages, QStringList{QStringLiteral("eins")});
    services.MsgBox(nullptr, QStringLiteral("zwei"));
    QCOMPARE(dialogs.Messages, (QStringList{QStringLiteral("eins"), QStringLiteral("zwei")}));
    QVERIFY(!QApplication::activeModalWidget());
}

void WindowServicesTest::endProgramClosesEverything() {
    WindowServices services;
    QWidget first;
    QWidget second;
    first.show();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));

    int laterHandlers = 0;
    QTimer::singleShot(0, this, [&] {
        services.EndProgram();
        // Posted after the end: never delivered.
        QTimer::singleShot(0, &first, [&] { ++laterHandlers; });
    });
    const int code = QApplication::exec();

    QCOMPARE(code, 0);
    QVERIFY(!first.isVisible());
    QVERIFY(!second.isVisible());
    QCOMPARE(laterHandlers, 0);
}

// A window closed by the user ends the program from its close handler, while it is being
// closed: the other windows close too, and the loop stops.
void WindowServicesTest::endingFromACloseHandler() {
    WindowServices services;
    EndingWindow window(services);
    QWidget other;
    window.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));

    QCOMPARE(ExecAround([&] { window.close(); }), 0);
    QCOMPARE(window.Closes, 1);
    QVERIFY(!window.isVisible());
    QVERIFY(!other.isVisible());
}

QTEST_MAIN(WindowServicesTest)
#include "WindowServicesTest.moc"
