#include "tandrel/dialog/ControlFactory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QSpinBox>

#include <cstddef>
#include <string_view>

#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/Resources.h"

namespace tandrel::dialog {
namespace {

// An icon control sizes itself to the icon, whatever the template's rectangle says.
constexpr int kIconPixels = 32;

// Edit controls set tab stops every 32 dialog units unless told otherwise.
constexpr int kEditTabStopUnits = 32;

// A button whose mnemonic clicks it at once; Qt's own buttons click a tenth
// of a second later.
template <class Button>
class DialogButton : public Button {
  public:
    using Button::Button;

  protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::Shortcut ||
            static_cast<QShortcutEvent*>(event)->isAmbiguous() || !this->isEnabled()) {
            return Button::event(event);
        }
        if (this->focusPolicy() != Qt::NoFocus) {
            this->setFocus(Qt::ShortcutFocusReason);
        }
        this->click();
        return true;
    }
};

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent, const DialogUnits& units) {
    if (control.HasStyle(QStringLiteral("ES_NUMBER"))) {
        auto* number = new QSpinBox(parent);
        number->setRange(control.minimum, control.maximum);
        return number;
    }
    if (!control.HasStyle(QStringLiteral("ES_MULTILINE"))) {
        auto* edit = new QLineEdit(control.text, parent);
        edit->setFrame(control.HasStyle(QStringLiteral("WS_BORDER")));
        edit->setReadOnly(control.HasStyle(QStringLiteral("ES_READONLY")));
        return edit;
    }
    const OutputEdit::Look look{
        .readOnly = control.HasStyle(QStringLiteral("ES_READONLY")),
        .wrap = !control.HasStyle(QStringLiteral("ES_AUTOHSCROLL")),
        .verticalScrollBar = control.HasStyle(QStringLiteral("WS_VSCROLL")),
        .horizontalScrollBar = control.HasStyle(QStringLiteral("WS_HSCROLL")),
        .tabStopPixels = units.MapX(kEditTabStopUnits),
    };
    auto* edit = new OutputEdit(look, parent->font(), parent);
    if (!control.HasStyle(QStringLiteral("WS_BORDER"))) {
        edit->setFrameShape(QFrame::NoFrame);
    }
    // The edit keeps Enter (ES_WANTRETURN) and passes Tab on to the dialog.
    const QByteArray text = control.text.toUtf8();
    edit->SetText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    return edit;
}

QWidget* CreateButton(const ControlTemplate& control, QWidget* parent) {
    auto* button = new DialogButton<QPushButton>(control.text, parent);
    // A focused button must not turn itself into the default: Enter goes to
    // the dialog, which presses the focused button or the default one.
    button->setAutoDefault(false);
    button->setDefault(control.kind == QStringLiteral("DEFPUSHBUTTON"));
    return button;
}

QWidget* CreateIcon(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(LoadIcon(control.icon).pixmap(kIconPixels, kIconPixels));
    return label;
}

QWidget* CreateByKind(const ControlTemplate& control, QWidget* parent, const DialogUnits& units) {
    const QString& kind = control.kind;
    if (kind == QStringLiteral("EDITTEXT")) {
        return CreateEdit(control, parent, units);
    }
    if (kind == QStringLiteral("PUSHBUTTON") || kind == QStringLiteral("DEFPUSHBUTTON")) {
        return CreateButton(control, parent);
    }
    if (kind == QStringLiteral("AUTOCHECKBOX")) {
        return new DialogButton<QCheckBox>(control.text, parent);
    }
    if (kind == QStringLiteral("AUTORADIOBUTTON")) {
        return new DialogButton<QRadioButton>(control.text, parent);
    }
    if (kind == QStringLiteral("COMBOBOX")) {
        auto* list = new QComboBox(parent);
        list->addItems(control.items);
        return list;
    }
    if (kind == QStringLiteral("GROUPBOX")) {
        auto* group = new QGroupBox(control.text, parent);
        group->setFocusPolicy(Qt::NoFocus);
        return group;
    }
    if (kind == QStringLiteral("LTEXT")) {
        auto* label = new QLabel(control.text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        return label;
    }
    if (kind == QStringLiteral("ICON")) {
        return CreateIcon(control, parent);
    }
    return nullptr;
}

}  // namespace

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, const DialogUnits& units) {
    QWidget* widget = CreateByKind(control, parent, units);
    if (widget == nullptr) {
        return nullptr;
    }
    widget->setObjectName(control.name);
    widget->setProperty("controlId", control.id);
    QRect geometry = units.MapDialogRect(control.rect);
    if (control.kind == QStringLiteral("ICON")) {
        geometry.setSize(QSize(kIconPixels, kIconPixels));
    }
    widget->setGeometry(geometry);
    if (widget->focusPolicy() != Qt::NoFocus && !control.HasStyle(QStringLiteral("WS_TABSTOP"))) {
        // Without a tab stop a control still takes the focus from a click.
        widget->setFocusPolicy(Qt::ClickFocus);
    }
    return widget;
}

}  // namespace tandrel::dialog
