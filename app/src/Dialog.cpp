#include "tandrel/dialog/Dialog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <string>

#include "tandrel/dialog/ControlFactory.h"
#include "tandrel/dialog/DataExchange.h"
#include "tandrel/dialog/DialogFont.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/WidgetText.h"

using tandrel::dialog::DialogTemplate;
using tandrel::dialog::DialogUnits;
using tandrel::dialog::FromWidgetText;
using tandrel::dialog::FromWidgetUtf8;
using tandrel::dialog::OutputEdit;
using tandrel::dialog::ToWidgetText;
using tandrel::dialog::ToWidgetUtf8;

namespace {

// The window flags of a template's frame: a caption with the window-menu
// (close) button and, with WS_MAXIMIZEBOX, the maximise button; never a
// minimise box. An application window (WS_EX_APPWINDOW) is a normal top-level
// window, which always gets a task-bar entry; any other dialog is a dialog window.
Qt::WindowFlags FrameFlags(const DialogTemplate& dialog) {
    Qt::WindowFlags flags =
        dialog.HasStyle(QStringLiteral("WS_EX_APPWINDOW")) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialog.HasStyle(QStringLiteral("WS_SYSMENU"))) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (dialog.HasStyle(QStringLiteral("WS_MAXIMIZEBOX"))) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    return flags;
}

// `share` percent of `growth`, rounded down as integer dialog arithmetic does.
int Share(int growth, int share) {
    return growth * share / 100;
}

// The id of controls that are never addressed (IDC_STATIC).
constexpr int kNoId = -1;

}  // namespace

CDialog::CDialog(int nIDTemplate, QWidget* pParentWnd)
    : QDialog(pParentWnd), idTemplate_(nIDTemplate) {}

CDialog::~CDialog() = default;

BOOL CDialog::Create() {
    if (created_) {
        return TRUE;
    }
    std::optional<DialogTemplate> loaded = DialogTemplate::Load(idTemplate_);
    if (!loaded) {
        return FALSE;
    }
    template_ = std::move(*loaded);
    created_ = true;

    setWindowFlags(FrameFlags(template_));
    setWindowTitle(template_.caption);
    const QFont font = tandrel::dialog::DialogFont(template_.fontFace, template_.fontPoints);
    setFont(font);
    units_ = DialogUnits::ForFont(font);
    // A sizing border (WS_THICKFRAME) lets the window grow from the
    // template's size; without one the size is fixed.
    const QSize size = units_.MapSize(template_.cx, template_.cy);
    if (template_.HasStyle(QStringLiteral("WS_THICKFRAME"))) {
        setMinimumSize(size);
        resize(size);
    } else {
        setFixedSize(size);
    }

    QWidget* firstTabStop = nullptr;
    QWidget* previous = nullptr;
    // A text's mnemonic focuses the control that follows it, as in a template.
    QLabel* mnemonicLabel = nullptr;
    for (const auto& control : template_.controls) {
        QWidget* widget = tandrel::dialog::CreateControl(control, this, units_);
        if (widget == nullptr) {
            continue;
        }
        if (mnemonicLabel != nullptr && widget->focusPolicy() != Qt::NoFocus) {
            mnemonicLabel->setBuddy(widget);
            mnemonicLabel = nullptr;
        }
        if (auto* label = qobject_cast<QLabel*>(widget);
            label != nullptr && control.text.contains(QLatin1Char('&')) &&
            !control.HasStyle(QStringLiteral("SS_NOPREFIX"))) {
            mnemonicLabel = label;
        }
        if (control.id != kNoId) {
            controls_.emplace(control.id, widget);
        }
        if (control.layout != tandrel::dialog::ControlLayout{}) {
            placements_.push_back({widget, widget->geometry(), control.layout});
        }
        if (auto* button = qobject_cast<QPushButton*>(widget); button != nullptr) {
            ConnectCommandButton(control.id, button);
        }
        if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
            if (previous != nullptr) {
                setTabOrder(previous, widget);
            } else {
                firstTabStop = widget;
            }
            previous = widget;
        }
    }
    CreateSystemMenu();

    if (OnInitDialog() && firstTabStop != nullptr) {
        firstTabStop->setFocus(Qt::TabFocusReason);
    }
    return TRUE;
}

int CDialog::DoModal() {
    if (!Create()) {
        return -1;
    }
    // Window-modal: the loop blocks the parent, and with no parent nothing,
    // so a picker without owner stays usable beside this dialog.
    setWindowModality(Qt::WindowModal);
    return exec();
}

void CDialog::EndDialog(int nResult) {
    done(nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

QWidget* CDialog::GetDlgItem(int nID) const {
    const auto found = controls_.find(nID);
    return found != controls_.end() ? found->second : nullptr;
}

CString CDialog::GetDlgItemText(int nID) const {
    QWidget* widget = GetDlgItem(nID);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return FromWidgetText(edit->text());
    }
    if (auto* edit = qobject_cast<OutputEdit*>(widget)) {
        return FromWidgetUtf8(edit->Text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return FromWidgetText(button->text());
    }
    return {};
}

void CDialog::SetDlgItemText(int nID, const CString& text) {
    QWidget* widget = GetDlgItem(nID);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(ToWidgetText(text.view()));
    } else if (auto* edit = qobject_cast<OutputEdit*>(widget)) {
        std::string storage;
        edit->SetText(ToWidgetUtf8(text.view(), storage));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToWidgetText(text.view()));
    }
}

void CDialog::SetIcon(const QIcon& icon, BOOL bBigIcon) {
    (bBigIcon ? bigIcon_ : smallIcon_) = icon;
    // Qt keeps one window icon with several sizes: offer the big icon's
    // images and the small icon's 16-pixel image together.
    QIcon combined;
    for (const QIcon& part : {bigIcon_, smallIcon_}) {
        for (const QSize& size : part.availableSizes()) {
            combined.addPixmap(part.pixmap(size));
        }
    }
    setWindowIcon(combined);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    if ((nID & 0xFFF0) == SC_CLOSE) {
        close();
    }
}

void CDialog::accept() {
    OnOK();
}

void CDialog::reject() {
    OnCancel();
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            auto* button = qobject_cast<QPushButton*>(focusWidget());
            if (button == nullptr) {
                button = defaultButton_;
            }
            if (button == nullptr) {
                OnOK();
            } else if (button->isEnabled()) {
                button->click();
            }
            return;
        }
        case Qt::Key_Escape:
            OnCancel();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize growth = size() - units_.MapSize(template_.cx, template_.cy);
    for (const Placement& placement : placements_) {
        const tandrel::dialog::ControlLayout& layout = placement.layout;
        QRect geometry = placement.initial;
        geometry.translate(Share(growth.width(), layout.moveX),
                           Share(growth.height(), layout.moveY));
        geometry.setSize(geometry.size() + QSize(Share(growth.width(), layout.sizeX),
                                                 Share(growth.height(), layout.sizeY)));
        placement.widget->setGeometry(geometry);
    }
}

void CDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (systemMenu_ == nullptr) {
        QDialog::contextMenuEvent(event);
        return;
    }
    if (QAction* chosen = systemMenu_->exec(event->globalPos()); chosen != nullptr) {
        OnSysCommand(chosen->data().toUInt(), 0);
    }
}

void CDialog::ConnectCommandButton(int id, QPushButton* button) {
    if (button->isDefault()) {
        defaultButton_ = button;
    }
    // The standard commands: a button with id IDOK or IDCANCEL ends
    // the dialog through OnOK or OnCancel.
    if (id == IDOK) {
        connect(button, &QPushButton::clicked, this, &CDialog::OnOK);
    } else if (id == IDCANCEL) {
        connect(button, &QPushButton::clicked, this, &CDialog::OnCancel);
    }
}

void CDialog::CreateSystemMenu() {
    if (!template_.HasStyle(QStringLiteral("WS_SYSMENU"))) {
        return;
    }
    systemMenu_ = new QMenu(this);
    QAction* close = systemMenu_->addAction(QStringLiteral("閉じる(&C)"));
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    close->setData(SC_CLOSE);
}

void AppendMenu(QMenu* menu, UINT nFlags, UINT nIDNewItem, const CString& text) {
    if (menu == nullptr) {
        return;
    }
    if ((nFlags & MF_SEPARATOR) != 0) {
        menu->addSeparator();
        return;
    }
    menu->addAction(ToWidgetText(text.view()))->setData(nIDNewItem);
}
