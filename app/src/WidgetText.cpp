#include "tandrel/dialog/WidgetText.h"

#include <string>

#include "morvash/platform/CodePage.h"

namespace tandrel::dialog {

QString ToWidgetText(std::string_view text) {
    const std::string utf8 = platform::ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

CString FromWidgetText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return CString(platform::FromUtf8(std::string_view(utf8.constData(), utf8.size())));
}

QString ToWidgetLines(std::string_view text) {
    // Text in UTF-8 goes to Qt as it is (Qt replaces invalid bytes itself),
    // which spares a whole conversion pass over a long output text.
    std::string utf8 = platform::ActiveCodePage() == platform::CodePage::Utf8
                           ? std::string(text)
                           : platform::ToUtf8(text);
    // Drop the CR of every CR LF in one pass; CR and LF are single bytes in
    // UTF-8, so no character is cut.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            continue;
        }
        utf8[kept++] = utf8[i];
    }
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(kept));
}

CString FromWidgetLines(const QString& text) {
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return FromWidgetText(lines);
}

}  // namespace tandrel::dialog
