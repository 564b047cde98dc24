// Dialog units convert through the font's base units, edge by edge, rounded.

#include <QFont>
#include <QFontMetrics>
#include <QTest>

#include <cmath>

#include "tandrel/dialog/DialogUnits.h"

using tandrel::dialog::DialogRect;
using tandrel::dialog::DialogUnits;

class DialogUnitsTest : public QObject {
    Q_OBJECT

  private slots:
    void unitsAreQuartersAndEighthsOfTheBaseUnits() {
        const DialogUnits units(6, 12);
        QCOMPARE(units.MapX(4), 6);
        QCOMPARE(units.MapY(8), 12);
        QCOMPARE(units.MapSize(227, 260), QSize(341, 390));
    }

    void halvesRoundAwayFromZero() {
        const DialogUnits units(6, 12);
        QCOMPARE(units.MapX(1), 2);  // 1.5
        QCOMPARE(units.MapX(3), 5);  // 4.5
        QCOMPARE(units.MapY(1), 2);  // 1.5
        QCOMPARE(units.MapX(-1), -2);
    }

    void rectanglesConvertEdgeByEdge() {
        const DialogUnits units(6, 12);
        // Left 10.5 -> 11, right 270; top 10.5 -> 11, bottom 31.5 -> 32.
        QCOMPARE(units.MapDialogRect(DialogRect{7, 7, 173, 14}), QRect(11, 11, 259, 21));
        // Two controls that touch in dialog units touch in pixels.
        const QRect left = units.MapDialogRect(DialogRect{11, 60, 49, 10});
        const QRect right = units.MapDialogRect(DialogRect{60, 60, 37, 10});
        QCOMPARE(left.x() + left.width(), right.x());
    }

    void baseUnitsComeFromTheFontsLettersAndHeight() {
        QFont font;
        font.setPixelSize(12);
        const DialogUnits units = DialogUnits::ForFont(font);
        const QFontMetrics metrics(font);
        const double average = metrics.horizontalAdvance(QStringLiteral(
                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                               52.0;
        QVERIFY(std::abs(units.BaseX() - average) <= 0.5);
        QCOMPARE(units.BaseY(), metrics.height());

        QFont larger = font;
        larger.setPixelSize(24);
        QVERIFY(DialogUnits::ForFont(larger).BaseX() > units.BaseX());
        QVERIFY(DialogUnits::ForFont(larger).BaseY() > units.BaseY());
    }
};

QTEST_MAIN(DialogUnitsTest)
#include "DialogUnitsTest.moc"
