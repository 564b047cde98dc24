#pragma once

// Dialog data exchange: CDialog::UpdateData hands a CDataExchange to
// DoDataExchange, whose DDX_ calls move one field each between a control and
// the dialog, in the direction the exchange gives.

#include "morvash/platform/CString.h"
#include "morvash/platform/WinTypes.h"

class CDialog;
class QWidget;

class CDataExchange {
  public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    /// Returns control `nIDC`.
    QWidget* PrepareCtrl(int nIDC);

    BOOL m_bSaveAndValidate;  ///< TRUE: controls to fields; FALSE: fields to controls
    CDialog* m_pDlgWnd;
};

/// Exchanges a check box with a flag: 1 when ticked, 0 when clear. Loading
/// treats a value outside 0 to 2 as 0 and ticks the box for any other value
/// but 0.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

/// Exchanges a single-line edit's text with a string in the active code page.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

/// Exchanges a number edit with a number; loading keeps it within the edit's range.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);

/// Exchanges a drop-down list's selection with its index (-1: none).
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);

/// Exchanges a group of radio buttons, `nIDC` and the ones that follow it in
/// the template up to the next WS_GROUP, with the index of the one chosen
/// (-1: none).
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
