#pragma once

// QtTexts: Qt's own texts in Japanese (the folder picker, the edits' menus,
// the message boxes' buttons), from the catalogue that Debian's
// qt6-translations-l10n installs. Qt 6 asks for the names of file types
// ("Folder", "%1 File", ...) in the context QAbstractFileIconProvider, while
// that catalogue keeps them in QFileDialog, their context before Qt 6; they
// are looked up there as well.

#include <QString>
#include <QTranslator>

namespace tandrel::dialog {

class QtTexts : public QTranslator {
  public:
    /// Loads the Japanese catalogue of Qt's base module; false when it is missing.
    bool Load();

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
};

}  // namespace tandrel::dialog
