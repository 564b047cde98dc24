#include "tandrel/dialog/FolderDrop.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <utility>

namespace tandrel::dialog {
namespace {

// The path of the one local folder that `data` carries; empty for anything else.
QString DraggedFolder(const QMimeData* data) {
    const QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {};
    }
    const QString path = QDir::cleanPath(urls.front().toLocalFile());
    return QFileInfo(path).isDir() ? path : QString();
}

// Watches the window and its widgets, so that a widget that takes drops of
// its own (an edit) takes a folder for the window too.
class FolderDropFilter : public QObject {
  public:
    FolderDropFilter(QObject* parent, std::function<void(const QString&)> dropped)
        : QObject(parent), dropped_(std::move(dropped)) {}

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
            return false;
        }
        auto* drop = static_cast<QDropEvent*>(event);
        const QString folder = DraggedFolder(drop->mimeData());
        if (folder.isEmpty()) {
            return false;
        }
        drop->acceptProposedAction();
        if (type == QEvent::Drop) {
            dropped_(folder);
        }
        return true;
    }

  private:
    std::function<void(const QString&)> dropped_;
};

}  // namespace

void AcceptFolderDrops(QWidget* window, std::function<void(const QString& path)> dropped) {
    auto* filter = new FolderDropFilter(window, std::move(dropped));
    // Widgets that take no drops hand a drag on to the window.
    window->setAcceptDrops(true);
    window->installEventFilter(filter);
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        widget->installEventFilter(filter);
    }
}

}  // namespace tandrel::dialog
