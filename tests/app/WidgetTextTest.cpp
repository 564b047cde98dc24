// Text crosses the widget boundary in the active code page, and a multi-line
// text's CR LF line ends become the widget's line breaks and back.

#include <QTest>

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

    void crLfBecomesALineBreak() {
        QCOMPARE(ToWidgetLines("work\r\n├ a\r\n\r\nsum"), QStringLiteral("work\n├ a\n\nsum"));
    }

    void lonelyCrAndLfStay() { QCOMPARE(ToWidgetLines("a\rb\nc\r"), QStringLiteral("a\rb\nc\r")); }

    void lineBreaksBecomeCrLf() {
        QCOMPARE(FromWidgetLines(QStringLiteral("work\n\nsum")).view(),
                 std::string_view("work\r\n\r\nsum"));
    }

    void codePage932LinesConvertToo() {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        QCOMPARE(ToWidgetLines("\x84\xA4 x\r\n"), QStringLiteral("└ x\n"));
        QCOMPARE(FromWidgetLines(QStringLiteral("└ x\n")).view(),
                 std::string_view("\x84\xA4 x\r\n"));
    }
};

QTEST_MAIN(WidgetTextTest)
#include "WidgetTextTest.moc"
