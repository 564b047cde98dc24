// The About box: built from its template, with the icon, the version line,
// the notice and the default button OK; OK, Enter and Esc close it.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "tandrel/dialog/AboutDlg.h"
#include "tandrel/dialog/ResourceIds.h"

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

    void aboutBoxCloses_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("OK button") << 0 << IDOK;
        QTest::newRow("Enter presses the default button") << int(Qt::Key_Return) << IDOK;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << IDCANCEL;
    }

    void aboutBoxCloses() {
        QFETCH(int, key);
        QFETCH(int, result);
        CAboutDlg about;
        QVERIFY(about.Create());
        about.show();
        if (key == 0) {
            QTest::mouseClick(about.GetDlgItem(IDOK), Qt::LeftButton);
        } else {
            QTest::keyClick(&about, static_cast<Qt::Key>(key));
        }
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), result);
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
