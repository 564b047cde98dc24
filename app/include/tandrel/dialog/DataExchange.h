#pragma once

// Dialog data exchange: CDialog::UpdateData hands a CDataExchange to
// DoDataExchange, whose DDX_ calls move one field each between a control and
// the dialog, in the direction the exchange gives.

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
