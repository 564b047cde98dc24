// The dialog font: the template's face where it exists, else IPAPGothic,
// else the first Japanese font.

#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

#include "tandrel/dialog/DialogFont.h"

using tandrel::dialog::ChooseFontFamily;
using tandrel::dialog::DialogFont;

namespace {

const QString kFace = QStringLiteral("ＭＳ Ｐゴシック");

bool NoneJapanese(const QString&) {
    return false;
}

}  // namespace

class DialogFontTest : public QObject {
    Q_OBJECT

  private slots:
    void theTemplatesFaceWinsWhereItExists() {
        const QStringList families{"DejaVu Sans", "IPAPGothic", kFace};
        QCOMPARE(ChooseFontFamily(kFace, families, NoneJapanese), kFace);
    }

    void itsEnglishNameCountsAsTheFace() {
        const QStringList families{"DejaVu Sans", "IPAPGothic", "MS PGothic"};
        QCOMPARE(ChooseFontFamily(kFace, families, NoneJapanese), QStringLiteral("MS PGothic"));
    }

    void ipaPGothicIsTheFirstFallback() {
        const QStringList families{"Droid Sans Fallback", "IPAGothic", "ipapgothic"};
        const auto anyJapanese = [](const QString&) { return true; };
        QCOMPARE(ChooseFontFamily(kFace, families, anyJapanese), QStringLiteral("ipapgothic"));
    }

    void thenAnyJapaneseFont() {
        const QStringList families{"DejaVu Sans", "Droid Sans Fallback", "Noto Sans CJK JP"};
        const auto japanese = [](const QString& family) { return family.contains("CJK"); };
        QCOMPARE(ChooseFontFamily(kFace, families, japanese), QStringLiteral("Noto Sans CJK JP"));
    }

    void nothingFitsGivesAnEmptyName() {
        QCOMPARE(ChooseFontFamily(kFace, QStringList{"DejaVu Sans"}, NoneJapanese), QString());
    }

    void thisMachineGetsAJapaneseNinePointFont() {
        const QFont font = DialogFont(kFace, 9);
        QCOMPARE(font.pointSize(), 9);
        const QString family = QFontInfo(font).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
                 qPrintable(family));
    }
};

QTEST_MAIN(DialogFontTest)
#include "DialogFontTest.moc"
