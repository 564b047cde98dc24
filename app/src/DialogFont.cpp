#include "tandrel/dialog/DialogFont.h"

#include <QApplication>
#include <QFontDatabase>

namespace tandrel::dialog {
namespace {

// The family in `families` that is `name` but for case, or an empty text.
QString FindFamily(const QStringList& families, const QString& name) {
    for (const QString& family : families) {
        if (family.compare(name, Qt::CaseInsensitive) == 0) {
            return family;
        }
    }
    return {};
}

}  // namespace

QString ChooseFontFamily(const QString& face, const QStringList& families,
                         const std::function<bool(const QString&)>& isJapanese) {
    QStringList wanted{face};
    if (face == QStringLiteral("ＭＳ Ｐゴシック")) {
        wanted.append(QStringLiteral("MS PGothic"));
    }
    wanted.append(QStringLiteral("IPAPGothic"));
    wanted.append(QStringLiteral("IPA Pゴシック"));
    for (const QString& name : wanted) {
        if (QString family = FindFamily(families, name); !family.isEmpty()) {
            return family;
        }
    }
    for (const QString& family : families) {
        if (isJapanese(family)) {
            return family;
        }
    }
    return {};
}

QFont DialogFont(const QString& face, int points) {
    const QString family =
        ChooseFontFamily(face, QFontDatabase::families(), [](const QString& candidate) {
            return QFontDatabase::writingSystems(candidate).contains(QFontDatabase::Japanese);
        });
    QFont font = family.isEmpty() ? QApplication::font() : QFont(family);
    font.setPointSize(points);
    return font;
}

}  // namespace tandrel::dialog
