// The program behind scripts/screenshot.sh: shows the real main dialog,
// enlarged to TANDREL_SCREENSHOT_SIZE ("WIDTHxHEIGHT", default 760x600), ticks
// the size and time columns, presses "展開" on the folder named by
// TANDREL_SCREENSHOT_FOLDER and writes the window with its frame, as the
// display server shows it (title bar and all, when a window manager runs), to
// the PNG file named by TANDREL_SCREENSHOT_OUTPUT. With
// TANDREL_SCREENSHOT_SETTINGS it then shows the settings dialog, some of its
// settings changed, and writes it there. Tandrel itself reads no
// environment; only this program does.

#include <QCheckBox>
#include <QEventLoop>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <iostream>

#include "tandrel/dialog/MoreSettings.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/SettingsDlg.h"
#include "tandrel/dialog/TandrelApp.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"

namespace {

// Lets the window manager frame the windows and everything repaint.
void Settle() {
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
}

// Writes the screen's pixels under the window's frame: the window and its
// decoration. Returns false, having said why, when that fails.
bool Shoot(QWidget& window, const QString& output) {
    Settle();
    if (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) {
        std::cerr << "the window was never shown\n";
        return false;
    }
    const QRect frame = window.frameGeometry();
    const QPixmap shot =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (shot.isNull() || !shot.save(output, "PNG")) {
        std::cerr << "could not write " << output.toStdString() << "\n";
        return false;
    }
    std::cout << "wrote " << output.toStdString() << " (" << shot.width() << " x " << shot.height()
              << ")\n";
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    CTandrelApp app(argc, argv);
    const QString folder = qEnvironmentVariable("TANDREL_SCREENSHOT_FOLDER");
    const QString output = qEnvironmentVariable("TANDREL_SCREENSHOT_OUTPUT");
    const QString settingsOutput = qEnvironmentVariable("TANDREL_SCREENSHOT_SETTINGS");
    const QStringList size =
        qEnvironmentVariable("TANDREL_SCREENSHOT_SIZE", QStringLiteral("760x600")).split('x');
    if (folder.isEmpty() || output.isEmpty() || size.size() != 2) {
        std::cerr << "set TANDREL_SCREENSHOT_FOLDER, TANDREL_SCREENSHOT_OUTPUT"
                     " (and TANDREL_SCREENSHOT_SIZE=WIDTHxHEIGHT, TANDREL_SCREENSHOT_SETTINGS)\n";
        return 2;
    }

    CTandrelDlg dlg;
    if (!dlg.Create()) {
        std::cerr << "the main dialog's template is missing\n";
        return 1;
    }
    dlg.SetDlgItemText(IDC_FOLDER, tandrel::dialog::FromWidgetText(folder));
    for (int id : {IDC_SIZE, IDC_TIMESTAMP}) {
        qobject_cast<QCheckBox*>(dlg.GetDlgItem(id))->setChecked(true);
    }
    dlg.resize(size[0].toInt(), size[1].toInt());
    dlg.show();
    Settle();
    qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_EXPAND))->click();
    if (!Shoot(dlg, output)) {
        return 1;
    }
    if (settingsOutput.isEmpty()) {
        return 0;
    }

    tandrel::dialog::MoreSettings settings;
    settings.exclude = "build *.o";
    settings.gitignore = true;
    settings.limitDepth = true;
    settings.dirsFirst = true;
    CSettingsDlg box(settings, &dlg);
    if (!box.Create()) {
        std::cerr << "the settings dialog's template is missing\n";
        return 1;
    }
    box.show();
    return Shoot(box, settingsOutput) ? 0 : 1;
}
