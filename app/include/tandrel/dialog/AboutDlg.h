#pragma once

// CAboutDlg: the About box (template IDD_ABOUTBOX): the icon, "ロスミナ
// Version 1.00", the maker's notice and the default button "OK".

#include "tandrel/dialog/Dialog.h"
#include "tandrel/dialog/ResourceIds.h"

class CAboutDlg : public CDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* pParent = nullptr) : CDialog(IDD, pParent) {}

    enum { IDD = IDD_ABOUTBOX };
};
