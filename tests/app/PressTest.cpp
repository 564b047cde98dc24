// The window for real folders: a press on its own thread gives the
// renderer's text and can be stopped, the output box behaves as a dialog's
// edit, the window grows from the template's size, Qt speaks Japanese, and
// the command line opens the window on a folder.

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/CommandLine.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelApp.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/render/TreeText.h"

using morvash::test::TempTree;
using tandrel::dialog::CommandLine;
using tandrel::dialog::OutputEdit;
using tandrel::dialog::test::Control;
using tandrel::dialog::test::Rendered;
using tandrel::dialog::test::WhenShown;

namespace {

void Press(CTandrelDlg& dlg, const std::string& folder) {
    Control<QLineEdit>(dlg, IDC_FOLDER)->setText(QString::fromStdString(folder));
    Control<QPushButton>(dlg, IDC_EXPAND)->click();
}

}  // namespace

class PressTest : public QObject {
    Q_OBJECT

  public:
    explicit PressTest(CTandrelApp& app) : app_(app) {}

  private slots:
    void initTestCase() {
        platform::SetActiveCodePage(platform::CodePage::Utf8);
        // Enough files for many chunks of the look-ahead lookup, in nested folders.
        for (int folder = 0; folder < 6; ++folder) {
            const std::string name = morvash::test::Numbered("d", folder, "/");
            tree_.makeFolder(name);
            for (int file = 0; file < 150; ++file) {
                tree_.touch(name + morvash::test::Numbered("f", file, ".txt"),
                            folder * 1000 + file);
            }
        }
        tree_.makeFolder("d2/inner");
        tree_.touch("d2/inner/last.c", 1'500'000);
    }

    // A stopped press leaves the box, the dialog and 展開 as they were; the
    // next press gives the renderer's text, looked up ahead in many chunks.
    void stoppedPressKeepsTheBoxAndTheDialogAndANextPressWorks() {
        TempTree deep;
        deep.makeChain("", "d", 34);
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        dlg.SetDlgItemText(IDC_OUTPUT, "before\r\nthe press");
        bool messageBox = false;
        WhenShown<QMessageBox>([&messageBox](QMessageBox* box) {
            messageBox = true;
            box->accept();
        });
        // Esc arrives before the press can report its end: it is queued first.
        QMetaObject::invokeMethod(
            &dlg, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); }, Qt::QueuedConnection);
        Press(dlg, deep.root());

        QVERIFY(dlg.isVisible());
        QVERIFY(!messageBox);
        QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), std::string_view("before\r\nthe press"));
        QVERIFY(dlg.m_strOutput.IsEmpty());
        QVERIFY(dlg.GetDlgItem(IDC_EXPAND)->isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        Press(dlg, tree_.root());
        QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(),
                 Rendered(tree_.root().c_str(), FALSE, "", MAX_SEARCH_DEPTH, {}).view());
    }

    void outputBoxUndoesTypingAfterAPressAndTabLeavesIt() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        Press(dlg, tree_.root());
        auto* output = Control<OutputEdit>(dlg, IDC_OUTPUT);
        output->setFocus();
        QTest::keyClicks(output, QStringLiteral("x"));
        QTest::keyClick(output, Qt::Key_Tab);
        QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(IDC_FILENAME));
        QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), ("x" + dlg.m_strOutput).view());
        QTest::keyClick(output, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), dlg.m_strOutput.view());
    }

    // The output box's menu is Qt's, in Japanese, offers only what can act,
    // and copies the whole text as Markdown, every line ending in LF, in a
    // fence that no run of backticks in the text closes.
    void outputBoxMenuSpeaksJapaneseAndCopiesMarkdown() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        dlg.SetDlgItemText(IDC_OUTPUT, "a ``b``\r\n````\rc");
        QWidget* output = Control<OutputEdit>(dlg, IDC_OUTPUT)->viewport();
        QStringList entries;
        QStringList enabled;
        WhenShown<QMenu>([&entries, &enabled](QMenu* menu) {
            for (const QAction* action : menu->actions()) {
                entries.append(action->text().section(QLatin1Char('\t'), 0, 0));
                if (action->isEnabled() && !action->isSeparator()) {
                    enabled.append(entries.back());
                }
            }
            menu->setActiveAction(menu->actions().last());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                output->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(output, &event);
        QCOMPARE(
            entries.join(QLatin1Char(',')),
            QStringLiteral("元に戻す(&U),やり直す(&R),,切り取り(&T),コピー(&C),貼り付け(&P),削除,,"
                           "すべてを選択,,Markdown としてコピー(&M)"));
        // Nothing is selected or typed yet: only pasting, selecting all and
        // the Markdown copy can act.
        QCOMPARE(enabled.join(QLatin1Char(',')),
                 QStringLiteral("貼り付け(&P),すべてを選択,Markdown としてコピー(&M)"));
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("`````text\na ``b``\n````\nc\n`````\n"));
        // Qt's own entries act on the box: すべてを選択 selects the whole text,
        // even one character.
        dlg.SetDlgItemText(IDC_OUTPUT, "x");
        WhenShown<QMenu>([](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(QStringLiteral("すべてを選択"))) {
                    menu->setActiveAction(action);
                }
            }
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QApplication::sendEvent(output, &event);
        OutputEdit* box = Control<OutputEdit>(dlg, IDC_OUTPUT);
        QCOMPARE(box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 0);
        QCOMPARE(box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND),
                 box->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    }

    void windowGrowsFromTheTemplateSize() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        const QSize smallest = dlg.Units().MapSize(227, 260);
        QCOMPARE(dlg.minimumSize(), smallest);
        std::vector<std::pair<int, QRect>> before;
        for (int id : {IDC_OUTPUT, IDC_BROWSE, IDC_EXPAND, IDC_SETTINGS, IDC_FOLDER, IDC_EXTENSIONS,
                       IDC_SIZE}) {
            before.emplace_back(id, dlg.GetDlgItem(id)->geometry());
        }
        dlg.resize(smallest + QSize(120, 90));
        for (const auto& [id, rect] : before) {
            const QRect now = dlg.GetDlgItem(id)->geometry();
            if (id == IDC_OUTPUT) {
                QCOMPARE(now, rect.adjusted(0, 0, 120, 90));
            } else if (id == IDC_FOLDER) {
                QCOMPARE(now, rect.adjusted(0, 0, 120, 0));
            } else if (id == IDC_BROWSE || id == IDC_EXPAND || id == IDC_SETTINGS) {
                QCOMPARE(now, rect.translated(120, 0));
            } else {
                QCOMPARE(now, rect);
            }
        }
    }

    void commandLineReadsFolderHelpAndVersion() {
        const std::string here = std::filesystem::current_path().string();
        struct Row {
            std::vector<std::string> args;
            CommandLine::Action action;
            std::string folder;
        };
        const std::vector<Row> table{
            {{}, CommandLine::Action::Window, ""},
            {{"sub/./x/.."}, CommandLine::Action::Window, here + "/sub"},
            {{"/tmp/a/"}, CommandLine::Action::Window, "/tmp/a"},
            {{"--", "-x"}, CommandLine::Action::Window, here + "/-x"},
            {{"--help"}, CommandLine::Action::Help, ""},
            {{"--version"}, CommandLine::Action::Version, ""},
            {{"-x"}, CommandLine::Action::UsageError, ""},
            {{"--help=no"}, CommandLine::Action::UsageError, ""},
            {{"a", "b"}, CommandLine::Action::UsageError, ""},
        };
        for (const Row& row : table) {
            const CommandLine line = tandrel::dialog::ParseCommandLine(row.args);
            QCOMPARE(line.action, row.action);
            QCOMPARE(line.folder.view(), std::string_view(row.folder));
        }
        const auto run = [](std::vector<const char*> args, std::string& out, std::string& err) {
            std::ostringstream outStream;
            std::ostringstream errStream;
            args.insert(args.begin(), "tandrel");
            const int status =
                tandrel::dialog::RunProgram(static_cast<int>(args.size()),
                                            const_cast<char**>(args.data()), outStream, errStream);
            out = outStream.str();
            err = errStream.str();
            return status;
        };
        std::string out;
        std::string err;
        QCOMPARE(run({"--version"}, out, err), 0);
        QCOMPARE(out, std::string("tandrel 1.0.0.1\n"));
        QCOMPARE(run({"--help"}, out, err), 0);
        QVERIFY(out.starts_with("Usage: tandrel [FOLDER]\n") && err.empty());
        QCOMPARE(run({"-x"}, out, err), 2);
        QVERIFY(out.empty() && err.starts_with("tandrel: "));
    }

    void folderArgumentFillsTheBox() {
        app_.m_strOpeningFolder = CString(std::string_view(tree_.root()));
        QString shown;
        WhenShown<CTandrelDlg>([&shown](CTandrelDlg* dlg) {
            shown = Control<QLineEdit>(*dlg, IDC_FOLDER)->text();
            dlg->EndDialog(IDCANCEL);
        });
        app_.InitInstance();
        QCOMPARE(shown, QString::fromStdString(tree_.root()));
    }

  private:
    CTandrelApp& app_;
    TempTree tree_;
};

int main(int argc, char* argv[]) {
    CTandrelApp app(argc, argv);
    PressTest test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "PressTest.moc"
