// The application object: Run calls InitInstance, which shows the main
// dialog modally as the main window and asks for no message loop, so the
// program ends when the dialog closes.

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "DialogTestSupport.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelApp.h"
#include "tandrel/dialog/TandrelDlg.h"

using tandrel::dialog::test::WhenModalShown;

class TandrelAppTest : public QObject {
    Q_OBJECT

  public:
    explicit TandrelAppTest(CTandrelApp& app) : app_(app) {}

  private slots:
    void runShowsTheMainDialogUntilItClosesAndEnds() {
        bool shown = false;
        bool isMainWindow = false;
        QString caption;
        QString folder;
        WhenModalShown<CTandrelDlg>([&](CTandrelDlg* dlg) {
            shown = true;
            isMainWindow = app_.m_pMainWnd == dlg;
            caption = dlg->windowTitle();
            folder = qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_FOLDER))->text();
            QTest::keyClick(dlg->GetDlgItem(IDC_FOLDER), Qt::Key_Escape);
        });
        QCOMPARE(app_.Run(), 0);
        QVERIFY(shown);
        QVERIFY(isMainWindow);
        QCOMPARE(caption, QStringLiteral("ロスミナ"));
        QCOMPARE(folder, QStringLiteral("/"));
        QVERIFY(app_.m_pMainWnd == nullptr);
    }

    void initInstanceAsksForNoMessageLoop() {
        WhenModalShown<CTandrelDlg>([](CTandrelDlg* dlg) {
            QTest::keyClick(dlg->GetDlgItem(IDC_EXTENSIONS), Qt::Key_Return);
        });
        QCOMPARE(app_.InitInstance(), FALSE);
    }

    void applicationCarriesTheVersion() {
        QCOMPARE(QApplication::applicationVersion(), QStringLiteral("1.0.0.1"));
    }

  private:
    CTandrelApp& app_;
};

int main(int argc, char* argv[]) {
    CTandrelApp app(argc, argv);
    TandrelAppTest test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "TandrelAppTest.moc"
