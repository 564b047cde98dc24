#pragma once

// CTandrelApp: the application object. It sets the process's code page from
// the locale, and makes Qt's standard dialogs and menus Japanese whatever the
// locale (the program is Japanese): their texts, and the widgets' locale,
// which formats dates and numbers. Then InitInstance runs the
// main dialog modally and asks for no message loop, so the program ends when
// the dialog closes.

#include <QApplication>

#include "morvash/platform/CString.h"
#include "morvash/platform/WinTypes.h"
#include "tandrel/dialog/QtTexts.h"

class CTandrelDlg;

class CTandrelApp : public QApplication {
    Q_OBJECT

  public:
    /// Starts Qt, chooses the active code page from the locale, loads Qt's
    /// Japanese texts and makes Japanese the widgets' locale.
    CTandrelApp(int& argc, char** argv);

    /// Runs InitInstance, then the message loop if it returned TRUE; returns the exit code.
    int Run();
    /// Shows the main dialog until it closes; returns FALSE (no message loop follows).
    virtual BOOL InitInstance();

    /// The main window while InitInstance runs it (null otherwise).
    CTandrelDlg* m_pMainWnd = nullptr;
    /// The folder the main dialog opens with (empty: the root).
    CString m_strOpeningFolder;

  private:
    tandrel::dialog::QtTexts qtTexts_;
};
