#pragma once

// CTandrelApp: the application object. It sets the process's code page from
// the locale and loads Qt's Japanese texts for its standard dialogs and menus
// whatever the locale (the program is Japanese), then InitInstance runs the
// main dialog modally and asks for no message loop, so the program ends when
// the dialog closes.

#include <QApplication>
#include <QTranslator>

#include "morvash/platform/CString.h"

#include "morvash/platform/WinTypes.h"

class CTandrelDlg;

class CTandrelApp : public QApplication {
    Q_OBJECT

  public:
    /// Starts Qt, chooses the active code page from the locale and loads Qt's
    /// Japanese translation.
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
    QTranslator qtTexts_;
};
