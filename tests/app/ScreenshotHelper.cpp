// Test helper behind scripts/screenshot.sh: shows the real main dialog,
// presses "展開" on the folder named by TANDREL_SCREENSHOT_FOLDER and writes
// the window, as the display server holds it, to the PNG file named by
// TANDREL_SCREENSHOT_OUTPUT. The program itself reads no environment; only
// this helper does.

#include <QtTest>
#include <QtWidgets>

#include <iostream>

#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelApp.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"

int main(int argc, char* argv[]) {
    CTandrelApp app(argc, argv);
    const QString folder = qEnvironmentVariable("TANDREL_SCREENSHOT_FOLDER");
    const QString output = qEnvironmentVariable("TANDREL_SCREENSHOT_OUTPUT");
    CTandrelDlg dlg;
    if (folder.isEmpty() || output.isEmpty() || !dlg.Create()) {
        std::cerr << "set TANDREL_SCREENSHOT_FOLDER and TANDREL_SCREENSHOT_OUTPUT\n";
        return 2;
    }
    dlg.SetDlgItemText(IDC_FOLDER, tandrel::dialog::FromWidgetText(folder));
    dlg.show();
    const bool exposed = QTest::qWaitForWindowExposed(&dlg);
    qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_EXPAND))->click();
    // Let the output box and the window repaint before reading the screen.
    QTest::qWait(300);
    const QPixmap shot = dlg.screen()->grabWindow(dlg.winId());
    if (!exposed || shot.isNull() || !shot.save(output, "PNG")) {
        std::cerr << "could not show the window or write " << output.toStdString() << "\n";
        return 1;
    }
    std::cout << "wrote " << output.toStdString() << "\n";
    return 0;
}
