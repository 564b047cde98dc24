#pragma once

// CTandrelApp: the application object. It sets the process's code page from
// the locale before anything else runs, then InitInstance runs the
// main dialog modally and asks for no message loop, so the program ends when
// the dialog closes.

#include <QApplication>

#include "morvash/platform/WinTypes.h"

class CTandrelDlg;

class CTandrelApp : public QApplication {
    Q_OBJECT

  public:
    /// Starts Qt and chooses the active code page from the locale.
    CTandrelApp(int& argc, char** argv);

    /// Runs InitInstance, then the message loop if it returned TRUE; returns the exit code.
    int Run();
    /// Shows the main dialog until it closes; returns FALSE (no message loop follows).
    virtual BOOL InitInstance();

    /// The main window while InitInstance runs it (null otherwise).
    CTandrelDlg* m_pMainWnd = nullptr;
};
