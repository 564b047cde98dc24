#pragma once

// CDialog: a dialog built from a template of app/res, with the framework's
// vocabulary that CTandrelDlg and CAboutDlg use: DoModal, EndDialog,
// UpdateData with DoDataExchange, OnInitDialog, OnOK, OnCancel, control access
// by id (text crossing the widget boundary in the active code page), the
// window menu with OnSysCommand, and window icons.
//
// Keyboard: Enter presses the focused
// push button, else the default button, else ends the dialog with OnOK; Esc
// and the close button end it with OnCancel. A control that takes Enter
// itself (a multi-line edit) keeps it.
//
// A template with WS_THICKFRAME makes a resizable window whose smallest size
// is the template's; its controls follow the growth as their layouts say.
//
// The window menu belongs to the window manager on Linux, so a dialog whose
// template has WS_SYSMENU offers its entries as the context menu of its
// background (right click or the Menu key): "閉じる(&C)" (SC_CLOSE), then
// whatever OnInitDialog appends. A chosen entry reaches OnSysCommand.

#include <QDialog>
#include <QIcon>
#include <QRect>

#include <map>
#include <vector>

#include "morvash/platform/CString.h"
#include "morvash/platform/WinTypes.h"
#include "tandrel/dialog/DialogConstants.h"
#include "tandrel/dialog/DialogTemplate.h"
#include "tandrel/dialog/DialogUnits.h"

class CDataExchange;
class QMenu;
class QPushButton;

class CDialog : public QDialog {
    Q_OBJECT

  public:
    /// Prepares a dialog for template `nIDTemplate`; the widgets come with Create or DoModal.
    explicit CDialog(int nIDTemplate, QWidget* pParentWnd = nullptr);
    ~CDialog() override;

    /// Builds the controls from the template and runs OnInitDialog, once.
    /// Returns FALSE when the template cannot be loaded.
    BOOL Create();
    /// Shows the dialog and waits until it ends; returns the code given to
    /// EndDialog (IDOK, IDCANCEL) or -1 when the template cannot be loaded.
    /// The loop blocks the parent only: a dialog without one leaves every other
    /// window of the program usable.
    int DoModal();
    /// Ends the dialog with `nResult`.
    void EndDialog(int nResult);

    /// Moves data between the controls and the fields: from the controls with
    /// TRUE, into them with FALSE, through DoDataExchange.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    /// Returns the control with id `nID` (null when there is none).
    QWidget* GetDlgItem(int nID) const;
    /// Returns the text of control `nID` in the active code page; a multi-line
    /// edit's lines end in CR LF.
    CString GetDlgItemText(int nID) const;
    /// Sets the text of control `nID` from text in the active code page; CR LF
    /// in a multi-line edit's text becomes its line breaks. The whole text is set at once.
    void SetDlgItemText(int nID, const CString& text);

    /// Returns the window menu, or null when the template has no WS_SYSMENU.
    QMenu* GetSystemMenu() const { return systemMenu_; }
    /// Sets the big (32 pixel) or small (16 pixel) window icon.
    void SetIcon(const QIcon& icon, BOOL bBigIcon);

    /// Returns the template the dialog was built from (empty before Create).
    const tandrel::dialog::DialogTemplate& Template() const { return template_; }
    /// Returns the converter between dialog units and pixels of the dialog's font.
    const tandrel::dialog::DialogUnits& Units() const { return units_; }

  protected:
    /// Runs after the controls exist; TRUE gives the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    /// Exchanges the fields with the controls; the base exchanges nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
    /// Enter with no button to press: saves the data and ends with IDOK.
    virtual void OnOK();
    /// Esc or the close button: ends with IDCANCEL.
    virtual void OnCancel();
    /// A window-menu command; the base closes the dialog on SC_CLOSE.
    virtual void OnSysCommand(UINT nID, LPARAM lParam);

    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  public:
    /// Qt's accept and reject (Esc, the close button) end the dialog through OnOK and OnCancel.
    void accept() override;
    void reject() override;

  private:
    // A control that follows the window's growth, from where the template put it.
    struct Placement {
        QWidget* widget;
        QRect initial;
        tandrel::dialog::ControlLayout layout;
    };

    void ConnectCommandButton(int id, QPushButton* button);
    void CreateSystemMenu();

    int idTemplate_;
    bool created_ = false;
    tandrel::dialog::DialogTemplate template_;
    tandrel::dialog::DialogUnits units_{0, 0};
    std::map<int, QWidget*> controls_;
    std::vector<Placement> placements_;
    QPushButton* defaultButton_ = nullptr;
    QMenu* systemMenu_ = nullptr;
    QIcon bigIcon_;
    QIcon smallIcon_;
};

/// Appends a text entry with command `nIDNewItem`, or a separator, to a menu;
/// the text is in the active code page.
void AppendMenu(QMenu* menu, UINT nFlags, UINT nIDNewItem = 0, const CString& text = CString());
