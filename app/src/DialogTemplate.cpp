#include "tandrel/dialog/DialogTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tandrel::dialog {
namespace {

QStringList ToStringList(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& item : value.toArray()) {
        list.append(item.toString());
    }
    return list;
}

// Reads [x, y, cx, cy]; a rectangle needs exactly four numbers.
std::optional<DialogRect> ToRect(const QJsonValue& value) {
    const QJsonArray array = value.toArray();
    if (array.size() != 4) {
        return std::nullopt;
    }
    return DialogRect{array[0].toInt(), array[1].toInt(), array[2].toInt(), array[3].toInt()};
}

// Reads [moveX, moveY, sizeX, sizeY]; a missing layout keeps the control in place.
std::optional<ControlLayout> ToLayout(const QJsonValue& value) {
    if (value.isUndefined()) {
        return ControlLayout{};
    }
    const QJsonArray array = value.toArray();
    if (array.size() != 4) {
        return std::nullopt;
    }
    return ControlLayout{array[0].toInt(), array[1].toInt(), array[2].toInt(), array[3].toInt()};
}

}  // namespace

std::optional<DialogTemplate> DialogTemplate::FromJson(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    const QJsonArray size = root["size"].toArray();
    if (size.size() != 2) {
        return std::nullopt;
    }
    DialogTemplate result;
    result.id = root["id"].toInt();
    result.name = root["name"].toString();
    result.caption = root["caption"].toString();
    result.style = ToStringList(root["style"]);
    result.exStyle = ToStringList(root["exStyle"]);
    result.fontFace = root["font"].toObject()["face"].toString();
    result.fontPoints = root["font"].toObject()["points"].toInt();
    result.cx = size[0].toInt();
    result.cy = size[1].toInt();
    for (const QJsonValue& item : root["controls"].toArray()) {
        const QJsonObject control = item.toObject();
        const std::optional<DialogRect> rect = ToRect(control["rect"]);
        const std::optional<ControlLayout> layout = ToLayout(control["layout"]);
        const QJsonArray range = control["range"].toArray();
        if (!rect || !layout || (!range.isEmpty() && range.size() != 2)) {
            return std::nullopt;
        }
        result.controls.push_back(ControlTemplate{
            .id = control["id"].toInt(-1),
            .name = control["name"].toString(),
            .kind = control["kind"].toString(),
            .style = ToStringList(control["style"]),
            .rect = *rect,
            .text = control["text"].toString(),
            .icon = control["icon"].toInt(),
            .layout = *layout,
            .items = ToStringList(control["items"]),
            .minimum = range.isEmpty() ? 0 : range[0].toInt(),
            .maximum = range.isEmpty() ? 0 : range[1].toInt(),
        });
    }
    return result;
}

std::optional<DialogTemplate> DialogTemplate::Load(int id) {
    QFile file(QStringLiteral(":/tandrel/dialog/%1.json").arg(id));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return FromJson(file.readAll());
}

}  // namespace tandrel::dialog
