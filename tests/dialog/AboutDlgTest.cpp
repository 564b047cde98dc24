// The About box: built from its template, with the icon, the version line,
// the notice and the default button OK; OK, Enter and Esc close it.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "tandrel/dialog/AboutDlg.h"
#include "tandrel/dialog/Resource.h"

class AboutDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void aboutBoxIsBuiltFromItsTemplate() {
        CAboutDlg about;
        QVERIFY(about.Create());
        QCOMPARE(about.windowTitle(), QStringLiteral("ロスミナのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about.minimumSize(), about.Units().MapSize(235, 59));
        QCOMPARE(about.maximumSize(), about.Units().MapSize(235, 59));
        auto* ok = qobject_cast<QPushButton*>(about.GetDlgItem(IDOK));
        QVERIFY(ok != nullptr);
        QVERIFY(ok->isDefault());
        QCOMPARE(about.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
        QStringList texts;
        int icons = 0;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) {
                ++icons;
                QCOMPARE(label->size(), QSize(32, 32));
            } else {
                texts.append(label->text());
            }
        }
        QCOMPARE(icons, 1);
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], QStringLiteral("ロスミナ Version 1.00"));
        QVERIFY(!texts[1].isEmpty());
    }

    void enterPressesTheDefaultButton() {
        CAboutDlg about;
        QVERIFY(about.Create());
        about.show();
        QTest::keyClick(&about, Qt::Key_Return);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), IDOK);
    }

    void aboutBoxClosesWithOkEnterAndEscape() {
        CAboutDlg byButton;
        QVERIFY(byButton.Create());
        byButton.show();
        QTest::mouseClick(byButton.GetDlgItem(IDOK), Qt::LeftButton);
        QVERIFY(!byButton.isVisible());
        QCOMPARE(byButton.result(), IDOK);

        CAboutDlg byEscape;
        QVERIFY(byEscape.Create());
        byEscape.show();
        QTest::keyClick(&byEscape, Qt::Key_Escape);
        QVERIFY(!byEscape.isVisible());
        QCOMPARE(byEscape.result(), IDCANCEL);
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
