#include "tandrel/dialog/DataExchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <vector>

#include "tandrel/dialog/Dialog.h"
#include "tandrel/dialog/WidgetText.h"

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

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    auto* edit = qobject_cast<QLineEdit*>(pDX->PrepareCtrl(nIDC));
    if (edit == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = tandrel::dialog::FromWidgetText(edit->text());
    } else {
        edit->setText(tandrel::dialog::ToWidgetText(value.view()));
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    auto* number = qobject_cast<QSpinBox*>(pDX->PrepareCtrl(nIDC));
    if (number == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = number->value();
    } else {
        number->setValue(value);
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    auto* list = qobject_cast<QComboBox*>(pDX->PrepareCtrl(nIDC));
    if (list == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        index = list->currentIndex();
    } else {
        list->setCurrentIndex(index);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    std::vector<QRadioButton*> group;
    for (const auto& control : pDX->m_pDlgWnd->Template().controls) {
        const bool member = control.kind == QStringLiteral("AUTORADIOBUTTON");
        if (!group.empty() && (!member || control.HasStyle(QStringLiteral("WS_GROUP")))) {
            break;
        }
        if (member && (control.id == nIDC || !group.empty())) {
            group.push_back(qobject_cast<QRadioButton*>(pDX->PrepareCtrl(control.id)));
        }
    }
    const int size = static_cast<int>(group.size());
    if (!pDX->m_bSaveAndValidate) {
        // Ticking one clears the others of the group.
        if (value >= 0 && value < size && group[value] != nullptr) {
            group[value]->setChecked(true);
        }
        return;
    }
    value = -1;
    for (int i = 0; i < size && value < 0; ++i) {
        if (group[i] != nullptr && group[i]->isChecked()) {
            value = i;
        }
    }
}
