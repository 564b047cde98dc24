// The string table, the icon, the version information and the application's name.

#include <QImage>
#include <QSet>
#include <QTest>

#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/Resources.h"

using namespace tandrel::dialog;

class ResourcesTest : public QObject {
    Q_OBJECT

  private slots:
    void stringTableHoldsTheAboutEntryInTheActiveCodePage() {
        platform::SetActiveCodePage(platform::CodePage::Utf8);
        QCOMPARE(LoadString(IDS_ABOUTBOX).view(), std::string_view("ﾊﾞｰｼﾞｮﾝ情報(&A)..."));
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        // Half-width katakana are single bytes in code page 932; 情報 is 8F EE 95 F1.
        QCOMPARE(LoadString(IDS_ABOUTBOX).view(),
                 std::string_view("\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1(&A)..."));
        platform::SetActiveCodePage(platform::CodePage::Utf8);
    }

    void unknownStringsAreEmpty() { QVERIFY(LoadString(4242).IsEmpty()); }

    void iconHasA32AndA16PixelImage() {
        const QIcon icon = LoadIcon(IDR_MAINFRAME);
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        QCOMPARE(sizes.size(), 2);
        QVERIFY(sizes.contains(QSize(32, 32)));
        QVERIFY(sizes.contains(QSize(16, 16)));
        // Each image keeps to the 16-colour palette.
        for (const QSize& size : sizes) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qAlpha(image.pixel(x, y)) == 255) {
                        colours.insert(image.pixel(x, y));
                    }
                }
            }
            QVERIFY(colours.size() > 2);
            QVERIFY(colours.size() <= 16);
        }
        QVERIFY(LoadIcon(4242).isNull());
    }

    void versionInformationIsTheProgramsOne() {
        const VersionInfo info = LoadVersionInfo();
        QCOMPARE(info.fileVersion, QStringLiteral("1.0.0.1"));
        QCOMPARE(info.productVersion, QStringLiteral("1.0.0.1"));
        QCOMPARE(info.Value("FileDescription"), QStringLiteral("Tandrel MFC ｱﾌﾟﾘｹｰｼｮﾝ"));
        QCOMPARE(info.Value("FileVersion"), QStringLiteral("1, 0, 0, 1"));
        QCOMPARE(info.Value("InternalName"), QStringLiteral("Tandrel"));
        QCOMPARE(info.Value("OriginalFilename"), QStringLiteral("Tandrel.EXE"));
        QCOMPARE(info.Value("ProductName"), QStringLiteral("Tandrel ｱﾌﾟﾘｹｰｼｮﾝ"));
        QCOMPARE(info.Value("ProductVersion"), QStringLiteral("1, 0, 0, 1"));
        QVERIFY(!info.Value("LegalCopyright").isEmpty());
        for (const auto& [key, value] : info.strings) {
            static const QStringList filled{"FileDescription", "FileVersion",      "InternalName",
                                            "LegalCopyright",  "OriginalFilename", "ProductName",
                                            "ProductVersion"};
            QVERIFY2(filled.contains(key) || value.isEmpty(), qPrintable(key));
        }
    }

    void applicationNameIsTheProgramFilesNameWithoutExtension() {
        QCOMPARE(AppName(), QStringLiteral("Tandrel"));
    }
};

QTEST_MAIN(ResourcesTest)
#include "ResourcesTest.moc"
