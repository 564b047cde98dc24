#include "tandrel/dialog/Resources.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tandrel/dialog/WidgetText.h"

namespace tandrel::dialog {
namespace {

QJsonObject ReadJsonObject(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString JoinVersion(const QJsonValue& value) {
    QStringList parts;
    for (const QJsonValue& part : value.toArray()) {
        parts.append(QString::number(part.toInt()));
    }
    return parts.join(QLatin1Char('.'));
}

}  // namespace

CString LoadString(int id) {
    const QJsonObject table = ReadJsonObject(QStringLiteral(":/tandrel/strings.json"));
    return FromWidgetText(table[QString::number(id)].toObject()[QLatin1String("text")].toString());
}

QIcon LoadIcon(int id) {
    QIcon icon;
    for (int size : {32, 16}) {
        const QString path = QStringLiteral(":/tandrel/icon/%1-%2.png").arg(id).arg(size);
        if (QFileInfo::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}

QString VersionInfo::Value(const QString& key) const {
    const auto found = strings.find(key);
    return found != strings.end() ? found->second : QString();
}

VersionInfo LoadVersionInfo() {
    const QJsonObject root = ReadJsonObject(QStringLiteral(":/tandrel/version.json"));
    VersionInfo info;
    info.fileVersion = JoinVersion(root[QLatin1String("fileVersion")]);
    info.productVersion = JoinVersion(root[QLatin1String("productVersion")]);
    const QJsonObject block = root[QLatin1String("strings")].toObject();
    for (auto it = block.begin(); it != block.end(); ++it) {
        info.strings.emplace(it.key(), it.value().toString());
    }
    return info;
}

QString AppName() {
    // The Linux file is lower case ("tandrel"); the name the program shows is
    // the one its version information gives the file, less the extension.
    return QFileInfo(LoadVersionInfo().Value(QStringLiteral("OriginalFilename")))
        .completeBaseName();
}

}  // namespace tandrel::dialog
