// SPDX-License-Identifier: GPL-3.0-or-later
// How the converter window looks: its own texts, every text of every language fitting its
// control, the label fonts, the places of the controls and the focus plainly visible.

#include "ConverterRig.h"
#include "QtTestFiles.h"
#include "WindowTests.h"

#include "Contrast.h"
#include "WindowFont.h"

#include <QAbstractItemView>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace rz408;
using namespace rz408::test;

class Form1LooksTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void textsBeforeAnyProfile_data();
    void textsBeforeAnyProfile();
    void everyTextFits_data();
    void everyTextFits();
    void labelFonts_data();
    void labelFonts();
    void geometryInPixels_data();
    void geometryInPixels();
    void focusPlainlyVisible_data();
    void focusPlainlyVisible();
};

void Form1LooksTest::textsBeforeAnyProfile_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    QTest::newRow("caption") << "Form1" << QStringLiteral("Vandrok-text konverter für Userpatch.");
    QTest::newRow("convert button, two blanks at the end")
        << "Command1" << QStringLiteral("Konvertiere DEU zu TXT  ");
    QTest::newRow("back button") << "Command2" << QStringLiteral("Ende");
    QTest::newRow("Label1 as the German profile")
        << "Label1" << Utf8Text(kGermanProfile.LabelTexts[0]);
    QTest::newRow("Label2 with double quotes")
        << "Label2"
        << QStringLiteral("Wähle den Ordner wo sich deine *.deu Dateien befinden und drücke "
                          "\"Konvertiere DEU zu TXT\".  Viel Spass mit dem Userpatch - Morrik "
                          "\"Programmer\" Halvsted. ");
    QTest::newRow("Label3 as the German profile")
        << "Label3" << Utf8Text(kGermanProfile.LabelTexts[2]);
    QTest::newRow("Label4 as the German profile")
        << "Label4" << Utf8Text(kGermanProfile.LabelTexts[3]);
    QTest::newRow("Label5 in its own words")
        << "Label5"
        << QStringLiteral("Du brauchst Drei Ordnern zu konvertieren: Hauptordner (gorvald3 oder "
                          "so ...) , danach scenario und userscen.");
    QTest::newRow("Label6 in its own words")
        << "Label6"
        << QStringLiteral("Bei neuer installation von campaigns und scenarios einfach wieder "
                          "diese programm benutzen.");
    QTest::newRow("Label7 contact")
        << "Label7" << QStringLiteral("E-mail: rz408-textconverter@example.org");
}

void Form1LooksTest::textsBeforeAnyProfile() {
    QFETCH(QString, control);
    QFETCH(QString, text);

    ConverterRig rig;
    if (control == QLatin1String("Form1")) {
        QCOMPARE(rig.Form->objectName(), control);
        QCOMPARE(rig.Form->windowTitle(), text);
    } else if (auto* button = rig.Form->findChild<QPushButton*>(control)) {
        QCOMPARE(button->text(), text);
        QVERIFY(button->isEnabled());
    } else {
        auto* label = rig.Form->findChild<QLabel*>(control);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
    }
}

void Form1LooksTest::everyTextFits_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");

    for (const auto& [language, profile] : kEveryProfile) {
        for (int i = 0; i < 7; ++i) {
            const QString label = QStringLiteral("Label%1").arg(i + 1);
            QTest::addRow("%s %s", language, qPrintable(label))
                << label << Utf8Text(profile->LabelTexts[static_cast<std::size_t>(i)]);
        }
        QTest::addRow("%s Command1", language) << "Command1" << Utf8Text(profile->ConvertCaption);
        QTest::addRow("%s Command2", language) << "Command2" << Utf8Text(profile->BackCaption);
    }
    ConverterRig rig;
    for (QLabel* label : rig.Form->findChildren<QLabel*>()) {
        QTest::addRow("own %s", qPrintable(label->objectName()))
            << label->objectName() << label->text();
    }
    for (QPushButton* button : rig.Form->findChildren<QPushButton*>()) {
        QTest::addRow("own %s", qPrintable(button->objectName()))
            << button->objectName() << button->text();
    }
}

void Form1LooksTest::everyTextFits() {
    QFETCH(QString, control);
    QFETCH(QString, text);

    ConverterRig rig;
    QWidget* widget = rig.Form->findChild<QWidget*>(control);
    QVERIFY(widget);
    const QFontMetrics metrics(widget->font());
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QVERIFY(label->wordWrap());
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, label->width(), 100000),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        qInfo("%s (%s): %d of %d pixels high, %d of %d wide", qPrintable(control),
              qPrintable(QFontInfo(label->font()).family()), needed.height(), label->height(),
              needed.width(), label->width());
        QVERIFY2(needed.height() <= label->height(),
                 qPrintable(QStringLiteral("needs %1 pixels").arg(needed.height())));
        QVERIFY(needed.width() <= label->width());
    } else {
        // A caption on one line, inside the button's frame.
        const int needed = metrics.horizontalAdvance(text.trimmed()) + 8;
        qInfo("%s (%s): %d of %d pixels wide", qPrintable(control),
              qPrintable(QFontInfo(widget->font()).family()), needed, widget->width());
        QVERIFY2(needed <= widget->width(),
                 qPrintable(QStringLiteral("needs %1 pixels").arg(needed)));
    }
}

void Form1LooksTest::labelFonts_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");

    QTest::newRow("Label1 regular") << "Label1" << false << false;
    QTest::newRow("Label3 regular") << "Label3" << false << false;
    QTest::newRow("Label4 regular") << "Label4" << false << false;
    QTest::newRow("Label2 bold") << "Label2" << true << false;
    QTest::newRow("Label5 bold") << "Label5" << true << false;
    QTest::newRow("Label6 bold") << "Label6" << true << false;
    QTest::newRow("Label7 bold italic") << "Label7" << true << true;
}

void Form1LooksTest::labelFonts() {
    QFETCH(QString, label);
    QFETCH(bool, bold);
    QFETCH(bool, italic);

    ConverterRig rig;
    auto* widget = rig.Form->findChild<QLabel*>(label);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(font.pointSizeF(), 9.75);
    QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
    QCOMPARE(font.italic(), italic);
    QCOMPARE(widget->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(widget->wordWrap());
    QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    // The face in use is "MS Sans Serif" or a narrow stand-in, never a wider one.
    const QString face = QFontInfo(font).family();
    QVERIFY2(face == QLatin1String("MS Sans Serif") || face.endsWith(QLatin1String("Narrow")),
             qPrintable(face));
}

void Form1LooksTest::geometryInPixels_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Drive1") << "Drive1" << QRect(105, 105, 2220, 315);
    QTest::newRow("Dir1") << "Dir1" << QRect(105, 525, 2220, 2565);
    QTest::newRow("File1") << "File1" << QRect(2310, 105, 1695, 3015);
    QTest::newRow("Command1") << "Command1" << QRect(105, 3255, 2220, 435);
    QTest::newRow("Command2") << "Command2" << QRect(2415, 3255, 1590, 435);
    QTest::newRow("Label1") << "Label1" << QRect(4095, 105, 6840, 1065);
    QTest::newRow("Label3") << "Label3" << QRect(4095, 1200, 6840, 960);
    QTest::newRow("Label4") << "Label4" << QRect(4095, 2205, 6840, 1695);
    QTest::newRow("Label5") << "Label5" << QRect(105, 3990, 10830, 540);
    QTest::newRow("Label2") << "Label2" << QRect(105, 4620, 10830, 645);
    QTest::newRow("Label6") << "Label6" << QRect(105, 5355, 10830, 540);
    QTest::newRow("Label7") << "Label7" << QRect(105, 5985, 10830, 330);
    QTest::newRow("client area") << "Form1" << QRect(0, 0, 11010, 6375);
}

void Form1LooksTest::geometryInPixels() {
    QFETCH(QString, control);
    QFETCH(QRect, twips);

    ConverterRig rig;
    QVERIFY(rig.Show());
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    if (control == QLatin1String("Form1")) {
        QCOMPARE(rig.Form->size(), pixels.size());
        // Nothing moves when the window changes its size.
        const QLabel& label4 = Control<QLabel>(*rig.Form, QStringLiteral("Label4"));
        const QRect before = label4.geometry();
        rig.Form->resize(300, 200);
        QCOMPARE(label4.geometry(), before);
    } else {
        QWidget* widget = rig.Form->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), pixels);
    }
}

void Form1LooksTest::focusPlainlyVisible_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("empty"); // the list holds nothing; Tab brings the focus
    QTest::newRow("drive list") << "Drive1" << false;
    QTest::newRow("folder list") << "Dir1" << false;
    QTest::newRow("file list") << "File1" << false;
    QTest::newRow("empty file list, by Tab") << "File1" << true;
}

// Taking the focus changes the look of the list's current entry plainly, or of the whole list
// when it holds none: along at least its whole outline, by a contrast of 3 to 1 or more.
void Form1LooksTest::focusPlainlyVisible() {
    QFETCH(QString, control);
    QFETCH(bool, empty);

    ConverterRig rig;
    if (empty) {
        QVERIFY(QFile::remove(rig.Folder('c') + QStringLiteral("/c.deu")));
        rig.File1().Refresh();
    }
    QVERIFY(rig.ShowActive());
    QWidget* list = rig.Form->findChild<QWidget*>(control);
    QVERIFY(list);
    QWidget* before =
        rig.Form->findChild<QWidget*>(empty ? QStringLiteral("Dir1") : QStringLiteral("Command2"));
    before->setFocus();
    QTRY_VERIFY(before->hasFocus());
    QImage without = list->grab().toImage();
    if (empty) {
        QTest::keyClick(before, Qt::Key_Tab);
    } else {
        list->setFocus();
    }
    QTRY_VERIFY(list->hasFocus());
    QImage with = list->grab().toImage();
    if (control != QLatin1String("Drive1")) {
        // The current entry only, the same entry in both pictures; in an empty list the whole
        // inside. The pictures count device pixels, the list logical ones.
        auto* view = qobject_cast<QAbstractItemView*>(list);
        QCOMPARE(view->model()->rowCount() == 0, empty);
        const QRect part =
            empty ? view->viewport()->geometry()
                  : view->visualRect(view->currentIndex()).translated(view->viewport()->pos());
        QVERIFY(part.isValid());
        const qreal ratio = with.devicePixelRatio();
        const QRect pixels(part.topLeft() * ratio, part.size() * ratio);
        without = without.copy(pixels);
        with = with.copy(pixels);
    }
    QCOMPARE(with.size(), without.size());
    int changed = 0;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            changed += Contrast(QColor(with.pixel(x, y)), QColor(without.pixel(x, y))) >= 3.0;
        }
    }
    const int outline = 2 * (with.width() + with.height());
    QVERIFY2(changed >= outline,
             qPrintable(
                 QStringLiteral("%1 pixels changed plainly, %2 wanted").arg(changed).arg(outline)));
}

QTEST_MAIN(Form1LooksTest)
#include "Form1LooksTest.moc"
