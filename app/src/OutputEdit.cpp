#include "tandrel/dialog/OutputEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <string>
#include <utility>

#include "tandrel/render/Markdown.h"

// Scintilla's ILoader, as its include/ILoader.h declares it (the QScintilla
// package does not install that header): a document filled apart from any
// editor, then handed to one. It has the same name, at the same place, as
// Scintilla's own. Positions are ptrdiff_t in current Scintilla and were int
// before; a 64-bit argument reads the same through either below 2 GiB.
class ILoader {
  public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;

  protected:
    ~ILoader() = default;
};

namespace tandrel::dialog {

namespace {

// Scintilla numbers its margins 0 to 4; none is shown.
constexpr int kMargins = 5;
// The blank between the frame and the text, as a plain edit leaves it.
constexpr long kTextInset = 4;

// An entry of the context menu: Qt's text for it, its usual key and the
// Scintilla command it runs.
struct MenuEntry {
    const char* text;  // as Qt's own edits name it (context QWidgetTextControl)
    QKeySequence::StandardKey key;
    unsigned int command;
};
constexpr MenuEntry kUndo{"&Undo", QKeySequence::Undo, QsciScintillaBase::SCI_UNDO};
constexpr MenuEntry kRedo{"&Redo", QKeySequence::Redo, QsciScintillaBase::SCI_REDO};
constexpr MenuEntry kCut{"Cu&t", QKeySequence::Cut, QsciScintillaBase::SCI_CUT};
constexpr MenuEntry kCopy{"&Copy", QKeySequence::Copy, QsciScintillaBase::SCI_COPY};
constexpr MenuEntry kPaste{"&Paste", QKeySequence::Paste, QsciScintillaBase::SCI_PASTE};
constexpr MenuEntry kDelete{"Delete", QKeySequence::UnknownKey, QsciScintillaBase::SCI_CLEAR};
constexpr MenuEntry kSelectAll{"Select All", QKeySequence::SelectAll,
                               QsciScintillaBase::SCI_SELECTALL};

// The menu entry that copies the whole text as Markdown.
constexpr const char* kCopyAsMarkdown = "Markdown としてコピー(&M)";

// `text` as a Markdown fenced code block: lines ending in LF, the last one
// too, inside a fence that no run of backticks in the text can close.
std::string MarkdownBlock(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            lines += text[i];
        } else if (i + 1 == text.size() || text[i + 1] != '\n') {
            lines += '\n';
        }
    }
    if (!lines.empty() && lines.back() != '\n') {
        lines += '\n';
    }
    const std::string fence = tandrel::CodeFence(lines);
    return fence + "text\n" + lines + fence + '\n';
}

void AddEntry(QMenu& menu, const MenuEntry& entry, bool enabled) {
    QString text = QCoreApplication::translate("QWidgetTextControl", entry.text);
    if (const QKeySequence key(entry.key); !key.isEmpty()) {
        text += QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
    }
    QAction* action = menu.addAction(text);
    action->setData(entry.command);
    action->setEnabled(enabled);
}

}  // namespace

OutputEdit::Loader::Loader(Loader&& other) noexcept
    : loader_(std::exchange(other.loader_, nullptr)) {}

OutputEdit::Loader& OutputEdit::Loader::operator=(Loader&& other) noexcept {
    if (this != &other) {
        if (loader_ != nullptr) {
            loader_->Release();
        }
        loader_ = std::exchange(other.loader_, nullptr);
    }
    return *this;
}

OutputEdit::Loader::~Loader() {
    if (loader_ != nullptr) {
        loader_->Release();
    }
}

bool OutputEdit::Loader::Load(std::string_view utf8) {
    return loader_ != nullptr &&
           loader_->AddData(utf8.data(), static_cast<std::ptrdiff_t>(utf8.size())) == 0;
}

OutputEdit::OutputEdit(const Look& look, const QFont& font, QWidget* parent)
    : QsciScintillaBase(parent), readOnly_(look.readOnly), tabWidth_(1) {
    for (int margin = 0; margin < kMargins; ++margin) {
        SendScintilla(SCI_SETMARGINWIDTHN, static_cast<unsigned long>(margin), 0L);
    }
    SendScintilla(SCI_SETMARGINLEFT, 0UL, kTextInset);
    SendScintilla(SCI_SETMARGINRIGHT, 0UL, kTextInset);

    // One style for all text: the dialog's font in the palette's colours.
    const QByteArray family = font.family().toUtf8();
    const QPalette& colours = palette();
    SendScintilla(SCI_STYLESETFONT, static_cast<unsigned long>(STYLE_DEFAULT), family.constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, static_cast<unsigned long>(STYLE_DEFAULT),
                  std::lround(font.pointSizeF() * int{SC_FONT_SIZE_MULTIPLIER}));
    SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(STYLE_DEFAULT),
                  colours.color(QPalette::Text));
    SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(STYLE_DEFAULT),
                  colours.color(QPalette::Base));
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_SETSELFORE, 1UL, colours.color(QPalette::HighlightedText));
    SendScintilla(SCI_SETSELBACK, 1UL, colours.color(QPalette::Highlight));
    SendScintilla(SCI_SETCARETFORE, colours.color(QPalette::Text));

    SendScintilla(SCI_SETWRAPMODE, look.wrap ? SC_WRAP_WORD : SC_WRAP_NONE);
    // A scroll bar of the template is always shown, as an edit control shows it.
    SendScintilla(SCI_SETVSCROLLBAR, look.verticalScrollBar);
    SendScintilla(SCI_SETHSCROLLBAR, look.horizontalScrollBar);
    setVerticalScrollBarPolicy(look.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                      : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(look.horizontalScrollBar ? Qt::ScrollBarAlwaysOn
                                                          : Qt::ScrollBarAlwaysOff);
    // Scintilla's tab stops are a number of space widths apart, measured unrounded.
    const qreal space = QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
    tabWidth_ =
        space > 0 ? std::max(1, static_cast<int>(std::lround(look.tabStopPixels / space))) : 8;
    // The context menu is this class's own.
    SendScintilla(SCI_USEPOPUP, static_cast<unsigned long>(SC_POPUP_NEVER));
    ApplyDocumentSettings();
}

void OutputEdit::ApplyDocumentSettings() {
    SendScintilla(SCI_SETCODEPAGE, static_cast<unsigned long>(SC_CP_UTF8));
    SendScintilla(SCI_SETEOLMODE, static_cast<unsigned long>(SC_EOL_CRLF));
    SendScintilla(SCI_SETTABWIDTH, static_cast<unsigned long>(tabWidth_));
    SendScintilla(SCI_SETREADONLY, readOnly_);
    SendScintilla(SCI_SETUNDOCOLLECTION, true);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

OutputEdit::Loader OutputEdit::NewLoader() const {
    // No style bytes beside the text: every character has the one style.
    const long loader = SendScintilla(SCI_CREATELOADER, 0UL, long{SC_DOCUMENTOPTION_STYLES_NONE});
    if (loader == 0) {
        throw std::bad_alloc();
    }
    return Loader(reinterpret_cast<ILoader*>(loader));
}

void OutputEdit::Show(Loader loader) {
    if (loader.loader_ == nullptr) {
        return;
    }
    void* document = std::exchange(loader.loader_, nullptr)->ConvertToDocument();
    SendScintilla(SCI_SETDOCPOINTER, 0UL, document);
    // The edit holds the document now; the loader's reference goes.
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);
    // Code page, line ends, tabs, read-only and the undo history belong to
    // the document, which arrives with a loader's defaults.
    ApplyDocumentSettings();
}

void OutputEdit::SetText(std::string_view utf8) {
    Loader loader = NewLoader();
    if (!loader.Load(utf8)) {
        throw std::bad_alloc();
    }
    Show(std::move(loader));
}

std::string_view OutputEdit::Text() const {
    // The character pointer closes the gap: the text is one run of bytes.
    const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    const long length = SendScintilla(SCI_GETLENGTH);
    return text == nullptr ? std::string_view()
                           : std::string_view(text, static_cast<std::size_t>(length));
}

bool OutputEdit::focusNextPrevChild(bool next) {
    // In a dialog Tab moves on to the next control, as QWidget does it;
    // Scintilla would insert a tab.
    return QWidget::focusNextPrevChild(next);
}

void OutputEdit::keyPressEvent(QKeyEvent* event) {
    // Esc is the dialog's (it ends it); Scintilla would take it to cancel a selection mode.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QsciScintillaBase::keyPressEvent(event);
}

void OutputEdit::contextMenuEvent(QContextMenuEvent* event) {
    const bool editable = SendScintilla(SCI_GETREADONLY) == 0;
    const bool selected = SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
    QMenu menu(this);
    AddEntry(menu, kUndo, editable && SendScintilla(SCI_CANUNDO) != 0);
    AddEntry(menu, kRedo, editable && SendScintilla(SCI_CANREDO) != 0);
    menu.addSeparator();
    AddEntry(menu, kCut, editable && selected);
    AddEntry(menu, kCopy, selected);
    AddEntry(menu, kPaste, editable && SendScintilla(SCI_CANPASTE) != 0);
    AddEntry(menu, kDelete, editable && selected);
    menu.addSeparator();
    AddEntry(menu, kSelectAll, SendScintilla(SCI_GETLENGTH) > 0);
    menu.addSeparator();
    QAction* markdown = menu.addAction(QString::fromUtf8(kCopyAsMarkdown));
    markdown->setEnabled(SendScintilla(SCI_GETLENGTH) > 0);
    if (const QAction* chosen = menu.exec(event->globalPos()); chosen == markdown) {
        const std::string block = MarkdownBlock(Text());
        QGuiApplication::clipboard()->setText(
            QString::fromUtf8(block.data(), static_cast<qsizetype>(block.size())));
    } else if (chosen != nullptr) {
        SendScintilla(chosen->data().toUInt());
    }
}

}  // namespace tandrel::dialog
