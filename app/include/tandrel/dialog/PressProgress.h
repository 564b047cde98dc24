#pragma once

// PressProgress: the small window that a long press shows over the middle of
// the dialog: "検索中..." above the count of entries walked (then of files
// looked up), and the button "中止", which stops the press.

#include <QFrame>

#include <cstdint>

class QLabel;

namespace tandrel::dialog {

class PressProgress : public QFrame {
    Q_OBJECT

  public:
    /// Makes the window, hidden, over `dialog`.
    explicit PressProgress(QWidget* dialog);

    /// Shows the window in the middle of the dialog with `count`; the focus stays
    /// where it is, so typing goes on where it went.
    void Show(std::uint64_t count);
    /// Shows `count` (while the window is shown).
    void SetCount(std::uint64_t count);

  signals:
    /// "中止" was pressed.
    void stopRequested();

  private:
    QLabel* count_;
};

}  // namespace tandrel::dialog
