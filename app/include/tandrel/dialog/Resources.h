#pragma once

// The program's embedded resources beyond the dialog templates: the string
// table, the icon and the version information, all kept as data in app/res.

#include <QIcon>
#include <QString>

#include <map>

#include "morvash/platform/CString.h"

namespace tandrel::dialog {

/// Returns string `id` of the string table in the active code page (empty when absent).
CString LoadString(int id);

/// Returns icon `id` with its 32 and 16 pixel images (a null icon when absent).
QIcon LoadIcon(int id);

/// The version information resource.
struct VersionInfo {
    QString fileVersion;                 ///< "1.0.0.1"
    QString productVersion;              ///< "1.0.0.1"
    std::map<QString, QString> strings;  ///< the string block: FileDescription, ...

    /// Returns the value of `key` in the string block (empty when absent).
    QString Value(const QString& key) const;
};

/// Loads the version information.
VersionInfo LoadVersionInfo();

/// Returns the application's name: the program file's name without its
/// extension, as the version information records the file ("Tandrel").
QString AppName();

}  // namespace tandrel::dialog
