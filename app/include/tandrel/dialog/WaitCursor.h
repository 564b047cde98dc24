#pragma once

// Shows the wait cursor over the whole program while it lives, or until End.

#include <QApplication>
#include <QCursor>

namespace tandrel::dialog {

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { End(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    /// Gives the usual cursor back before the object ends (for a message box).
    void End() {
        if (active_) {
            QApplication::restoreOverrideCursor();
            active_ = false;
        }
    }

  private:
    bool active_ = true;
};

}  // namespace tandrel::dialog
