#include "tandrel/dialog/QtTexts.h"

#include <QLibraryInfo>
#include <QLocale>

#include <string_view>

namespace tandrel::dialog {

bool QtTexts::Load() {
    return load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString QtTexts::translate(const char* context, const char* sourceText, const char* disambiguation,
                           int n) const {
    QString text = QTranslator::translate(context, sourceText, disambiguation, n);
    if (text.isEmpty() && context != nullptr &&
        std::string_view(context) == "QAbstractFileIconProvider") {
        text = QTranslator::translate("QFileDialog", sourceText, disambiguation, n);
    }
    return text;
}

}  // namespace tandrel::dialog
