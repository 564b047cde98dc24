#include "tandrel/dialog/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "tandrel/dialog/Resources.h"
#include "tandrel/dialog/WidgetText.h"

namespace {

QMessageBox::Icon IconOf(UINT nType) {
    switch (nType & MB_ICONMASK) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONASTERISK:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

int AfxMessageBox(const CString& text, UINT nType, UINT /*nIDHelp*/) {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = QApplication::activeWindow();
    }
    QMessageBox box(IconOf(nType), tandrel::dialog::AppName(),
                    tandrel::dialog::ToWidgetText(text.view()), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return IDOK;
}
