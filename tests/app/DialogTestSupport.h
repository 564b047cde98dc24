#pragma once

// Helpers for the dialog's Qt tests: acting on a modal window or popup menu
// that the code under test opens (and waits on) by itself, and reading a
// dialog's controls by id.

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "tandrel/dialog/Dialog.h"

namespace tandrel::dialog::test {

// How many turns of the event loop a helper waits for its window before it
// gives up; each turn is one pass of a zero timer, so no clock is involved.
inline constexpr int kMaxTurns = 100000;

/// Runs `act` on the first modal window of type W once the event loop shows
/// it (from inside the loop that waits on it). Call before the action that
/// opens the window.
template <class W>
void WhenModalShown(std::function<void(W*)> act, int turns = kMaxTurns) {
    QTimer::singleShot(0, [act = std::move(act), turns] {
        if (auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
            window != nullptr && window->isVisible()) {
            act(window);
        } else if (turns > 0) {
            WhenModalShown<W>(act, turns - 1);
        }
    });
}

/// Runs `act` on the popup menu once the event loop shows it.
inline void WhenMenuShown(std::function<void(QMenu*)> act, int turns = kMaxTurns) {
    QTimer::singleShot(0, [act = std::move(act), turns] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            menu != nullptr && menu->isVisible()) {
            act(menu);
        } else if (turns > 0) {
            WhenMenuShown(act, turns - 1);
        }
    });
}

/// Returns control `id` of `dialog` as a W (null when it is not one).
template <class W>
W* Control(const CDialog& dialog, int id) {
    return qobject_cast<W*>(dialog.GetDlgItem(id));
}

}  // namespace tandrel::dialog::test
