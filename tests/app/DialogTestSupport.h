#pragma once

// Helpers the dialog's Qt tests share: acting on a popup menu or modal window
// that the code under test opens (and waits on) by itself, reading a dialog's
// controls by id, and the text a press must give.

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <type_traits>

#include "morvash/SerchFiles.h"
#include "tandrel/dialog/Dialog.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::dialog::test {

/// Runs `act` on the popup menu or modal window of type W once the event loop
/// that waits on it shows it; call before the action that opens it. Each try
/// is one turn of the event loop, so no clock is involved.
template <class W>
void WhenShown(std::function<void(W*)> act, int turns = 100000) {
    QTimer::singleShot(0, [act, turns] {
        QWidget* shown = std::is_same_v<W, QMenu> ? QApplication::activePopupWidget()
                                                  : QApplication::activeModalWidget();
        if (auto* window = qobject_cast<W*>(shown); window != nullptr && window->isVisible()) {
            act(window);
        } else if (turns > 0) {
            WhenShown<W>(act, turns - 1);
        }
    });
}

/// Returns control `id` of `dialog` as a W (null when it is not one).
template <class W>
W* Control(const CDialog& dialog, int id) {
    return qobject_cast<W*>(dialog.GetDlgItem(id));
}

/// The text a press on `folder` must give, rendered on this thread with
/// direct lookups; the walk lists each folder in name order unless told.
inline CString Rendered(const char* folder, BOOL rootFullPath, const char* extensions,
                        unsigned int maxDepth, const TreeOptions& options,
                        morvash::SortKey sort = morvash::SortKey::Name) {
    const RootFolder root = PrepareRootFolder(folder, rootFullPath);
    morvash::WalkOptions walk;
    walk.maxDepth = maxDepth;
    walk.sort = sort;
    CSerchFiles engine(root.enginePath, extensions, walk);
    CString text;
    BuildTreeText(
        root.rootLabel, *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
        engine.gFc_GetNumOfFile(), [&engine](int index) { return engine.gFc_GetFileInfo(index); },
        options, text);
    return text;
}

}  // namespace tandrel::dialog::test
