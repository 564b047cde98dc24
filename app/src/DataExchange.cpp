#include "tandrel/dialog/DataExchange.h"

#include <QCheckBox>

#include "tandrel/dialog/Dialog.h"

QWidget* CDataExchange::PrepareCtrl(int nIDC) {
    return m_pDlgWnd->GetDlgItem(nIDC);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    auto* box = qobject_cast<QCheckBox*>(pDX->PrepareCtrl(nIDC));
    if (box == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = box->isChecked() ? 1 : 0;
        return;
    }
    if (value < 0 || value > 2) {
        value = 0;
    }
    box->setChecked(value != 0);
}
