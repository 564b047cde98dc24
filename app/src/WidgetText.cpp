#include "tandrel/dialog/WidgetText.h"

#include <QByteArrayView>

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

std::string_view ToWidgetUtf8(std::string_view text, std::string& storage) {
    std::string_view utf8 = text;
    if (platform::ActiveCodePage() != platform::CodePage::Utf8) {
        storage = platform::ToUtf8(text);
        utf8 = storage;
    }
    if (QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())).isValidUtf8()) {
        return utf8;
    }
    const QByteArray valid =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toUtf8();
    storage.assign(valid.constData(), static_cast<std::size_t>(valid.size()));
    return storage;
}

CString FromWidgetUtf8(std::string_view utf8) {
    return CString(platform::FromUtf8(utf8));
}

}  // namespace tandrel::dialog
