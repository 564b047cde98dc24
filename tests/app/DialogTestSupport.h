#pragma once

// Helpers the dialog's Qt tests share: acting on a popup menu or modal window
// that the code under test opens (and waits on) by itself, and reading a
// dialog's controls by id.

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <type_traits>

#include "tandrel/dialog/Dialog.h"

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

}  // namespace tandrel::dialog::test
