#pragma once

// OutputEdit: the multi-line edit of a dialog template (EDITTEXT with
// ES_MULTILINE), made from Scintilla's editing component without margins,
// line numbers or highlighting, so that it looks like a plain edit box.
// Scintilla keeps the text as bytes in one gap buffer and indexes its line
// ends in one pass, so a text of a million lines is set at once, where
// QPlainTextEdit builds a block per line (bench/dialog measures both).
//
// The text is UTF-8 with CR LF line ends, the dialog's own line ends; Enter
// inserts CR LF. A long text can be loaded on another thread and then shown
// at once on the window's thread:
//
//     OutputEdit::Loader loader = edit->NewLoader();   // window thread
//     loader.Load(utf8);                                // any thread
//     edit->Show(std::move(loader));                    // window thread
//
// Keyboard, as a dialog's multi-line edit: Enter inserts a line break, Tab
// and Shift+Tab move the focus to the next or previous control, Esc goes on to
// the dialog. The context menu offers the usual edit commands with Qt's own
// (translated) texts, and "Markdown としてコピー", which puts the whole text on
// the clipboard as a Markdown fenced code block (lines ending in LF, a fence
// longer than any run of backticks in the text).

#include <Qsci/qsciscintillabase.h>

#include <string_view>

class QFont;
class ILoader;

namespace tandrel::dialog {

class OutputEdit : public QsciScintillaBase {
    Q_OBJECT

  public:
    /// What the template's styles choose.
    struct Look {
        bool readOnly = false;             ///< ES_READONLY
        bool wrap = false;                 ///< wrap at the edit's width (no ES_AUTOHSCROLL)
        bool verticalScrollBar = false;    ///< WS_VSCROLL: always shown
        bool horizontalScrollBar = false;  ///< WS_HSCROLL: always shown
        int tabStopPixels = 0;             ///< distance between tab stops
    };

    /// A text loaded apart from the edit, to be shown by Show. Made on the
    /// window's thread by NewLoader; Load may run on any thread.
    class Loader {
      public:
        Loader() = default;
        Loader(Loader&& other) noexcept;
        Loader& operator=(Loader&& other) noexcept;
        Loader(const Loader&) = delete;
        Loader& operator=(const Loader&) = delete;
        /// Drops a text that was never shown.
        ~Loader();

        /// Appends UTF-8 text; false when Scintilla could not take it (memory).
        bool Load(std::string_view utf8);

      private:
        friend class OutputEdit;
        explicit Loader(ILoader* loader) : loader_(loader) {}
        ILoader* loader_ = nullptr;
    };

    /// Makes an empty, editable edit with the dialog font `font`.
    OutputEdit(const Look& look, const QFont& font, QWidget* parent);

    /// Returns a new, empty loader for this edit.
    Loader NewLoader() const;
    /// Replaces the text with the loaded one; the undo history starts afresh.
    void Show(Loader loader);
    /// Replaces the text (UTF-8) at once; the undo history starts afresh.
    void SetText(std::string_view utf8);
    /// Returns the text (UTF-8), valid until the text changes.
    std::string_view Text() const;

  protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Sets what Scintilla keeps per document, which a shown loader resets.
    void ApplyDocumentSettings();

    bool readOnly_;
    int tabWidth_;  // in widths of a space
};

}  // namespace tandrel::dialog
