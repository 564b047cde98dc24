#pragma once

// The font of the dialog templates. "ＭＳ Ｐゴシック" is a Windows font; where
// it is missing the dialogs use IPAPGothic (Debian's fonts-ipafont-gothic),
// then the first font fontconfig offers for Japanese, then Qt's default.

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

namespace tandrel::dialog {

/// Picks the family for `face` among `families`: `face` itself (or "MS PGothic",
/// its English name), else IPAPGothic, else the first family `isJapanese`
/// accepts; an empty text when none fits. Names compare case-insensitively.
QString ChooseFontFamily(const QString& face, const QStringList& families,
                         const std::function<bool(const QString&)>& isJapanese);

/// Returns the font for a template's face and point size, with the fallbacks above.
QFont DialogFont(const QString& face, int points);

}  // namespace tandrel::dialog
