#include "tandrel/dialog/TandrelApp.h"

#include <QLocale>

#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/Resources.h"
#include "tandrel/dialog/TandrelDlg.h"

CTandrelApp::CTandrelApp(int& argc, char** argv) : QApplication(argc, argv) {
    platform::SelectCodePageFromLocale();
    // The application keeps the program file's name; the version and the
    // desktop entry let desktops match the window to its menu entry and icon.
    setApplicationVersion(tandrel::dialog::LoadVersionInfo().fileVersion);
    setDesktopFileName(QStringLiteral("tandrel"));
    // The folder picker, the edits' context menus and the message boxes'
    // buttons speak Japanese, as the rest of the program does, and write
    // dates and numbers the Japanese way.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    if (qtTexts_.Load()) {
        installTranslator(&qtTexts_);
    }
}

int CTandrelApp::Run() {
    return InitInstance() ? exec() : 0;
}

BOOL CTandrelApp::InitInstance() {
    // Qt's style draws the controls three-dimensional; nothing to enable.
    CTandrelDlg dlg;
    dlg.SetOpeningFolder(m_strOpeningFolder);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
