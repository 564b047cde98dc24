#pragma once

// A folder dragged from a file manager and dropped anywhere on a window: the
// window takes its path. Only a drag that carries exactly one local folder
// is taken; any other drag (text, files, several items) reaches the widgets
// as before, so the edits still take dropped text.

#include <QString>

#include <functional>

class QWidget;

namespace tandrel::dialog {

/// Makes `window` and the widgets in it at this moment take a dropped folder,
/// whose path goes to `dropped`.
void AcceptFolderDrops(QWidget* window, std::function<void(const QString& path)> dropped);

}  // namespace tandrel::dialog
