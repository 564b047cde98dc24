// Text crosses the widget boundary in the active code page; the output edit
// takes UTF-8 with the text's own CR LF line ends.

#include <QTest>

#include <string>
#include <string_view>

#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/WidgetText.h"

using namespace tandrel::dialog;

class WidgetTextTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { platform::SetActiveCodePage(platform::CodePage::Utf8); }

    void utf8TextPassesUnchanged() {
        QCOMPARE(ToWidgetText("c:/作業"), QStringLiteral("c:/作業"));
        QCOMPARE(FromWidgetText(QStringLiteral("c:/作業")).view(), std::string_view("c:/作業"));
    }

    void codePage932IsConvertedBothWays() {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        // 表 is 95 5C: its second byte is a backslash when read byte by byte.
        QCOMPARE(ToWidgetText("c:\\\x95\x5C"), QStringLiteral("c:\\表"));
        QCOMPARE(FromWidgetText(QStringLiteral("c:\\表")).view(), std::string_view("c:\\\x95\x5C"));
        QCOMPARE(FromWidgetText(QStringLiteral("ﾌｧｲﾙ")).view(),
                 std::string_view("\xCC\xA7\xB2\xD9"));
    }

    void outputEditTextIsUtf8WithItsLineEnds() {
        std::string storage;
        const std::string_view text = "work\r\n├ a\r\n\r\nsum";
        QVERIFY(ToWidgetUtf8(text, storage).data() == text.data());
        QCOMPARE(ToWidgetUtf8("a\xFF"
                              "b",
                              storage),
                 std::string_view("a\xEF\xBF\xBD"
                                  "b"));
        QCOMPARE(FromWidgetUtf8("a\r\nb").view(), std::string_view("a\r\nb"));
    }

    void codePage932OutputEditTextConvertsToo() {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        std::string storage;
        QCOMPARE(ToWidgetUtf8("\x84\xA4 x\r\n", storage), std::string_view("└ x\r\n"));
        QCOMPARE(FromWidgetUtf8("└ x\r\n").view(), std::string_view("\x84\xA4 x\r\n"));
    }
};

QTEST_MAIN(WidgetTextTest)
#include "WidgetTextTest.moc"
