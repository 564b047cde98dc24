// The main dialog as a user meets it: the first showing, a press of "展開" on
// real folders, the check-box coupling, the depth error, the keyboard and the
// window menu's About entry.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <array>
#include <string>

#include "DialogTestSupport.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/AboutDlg.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/TreeText.h"

using morvash::test::TempTree;
using tandrel::dialog::FromWidgetText;
using tandrel::dialog::OutputEdit;
using tandrel::dialog::test::Control;
using tandrel::dialog::test::WhenMenuShown;
using tandrel::dialog::test::WhenModalShown;

namespace {

// The seven check boxes and the flags they are bound to.
struct Binding {
    int id;
    BOOL CTandrelDlg::*flag;
};
constexpr std::array<Binding, 7> kBindings{{
    {IDC_EXTENSION, &CTandrelDlg::m_bExtension},
    {IDC_FILENAME, &CTandrelDlg::m_bFileName},
    {IDC_TIMESTAMP, &CTandrelDlg::m_bTimestamp},
    {IDC_SIZE, &CTandrelDlg::m_bSize},
    {IDC_NO_TREELINES, &CTandrelDlg::m_bNoTreeLines},
    {IDC_ROOT_FULLPATH, &CTandrelDlg::m_bRootFullPath},
    {IDC_NO_SUBFOLDERS, &CTandrelDlg::m_bNoSubfolders},
}};

// The tree text a press must show, made the way the dialog makes it.
CString ExpectedText(const std::string& folder, BOOL fileName, BOOL extension) {
    const tandrel::RootFolder root = tandrel::PrepareRootFolder(folder.c_str(), FALSE);
    CSerchFiles engine(root.enginePath, "", MAX_SEARCH_DEPTH);
    CString text;
    tandrel::BuildTreeText(
        root.rootLabel, *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
        engine.gFc_GetNumOfFile(), [&engine](int index) { return engine.gFc_GetFileInfo(index); },
        {.fileName = fileName != 0, .extension = extension != 0}, text);
    return text;
}

// The output box's text with its line ends shown as LF.
QString OutputBoxText(const CTandrelDlg& dlg) {
    const std::string_view text = Control<OutputEdit>(dlg, IDC_OUTPUT)->Text();
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Builds the dialog, shows it and types `folder` (when given) into the folder edit.
[[nodiscard]] bool Open(CTandrelDlg& dlg, const std::string& folder = {}) {
    if (!dlg.Create()) {
        return false;
    }
    dlg.show();
    if (!folder.empty()) {
        Control<QLineEdit>(dlg, IDC_FOLDER)->setText(QString::fromStdString(folder));
    }
    return true;
}

void Press(const CTandrelDlg& dlg, int id) {
    QTest::mouseClick(Control<QPushButton>(dlg, id), Qt::LeftButton);
}

// A small folder: docs/ with two files, an empty folder and one file.
void MakeSampleTree(const TempTree& tree) {
    tree.makeFolder("docs");
    tree.touch("docs/a.txt", 12);
    tree.touch("docs/b.txt", 2048);
    tree.makeFolder("empty");
    tree.touch("readme.txt", 5);
}

}  // namespace

class TandrelDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { platform::SetActiveCodePage(platform::CodePage::Utf8); }

    void constructionZeroesTheFlags() {
        CTandrelDlg dlg;
        for (const Binding& binding : kBindings) {
            QCOMPARE(dlg.*binding.flag, 0);
        }
        QVERIFY(dlg.m_strOutput.IsEmpty());
    }

    void firstShowingHasTheOpeningFolderAndOptions() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));
        QCOMPARE(Control<QLineEdit>(dlg, IDC_FOLDER)->text(), QStringLiteral("/"));
        QCOMPARE(Control<QLineEdit>(dlg, IDC_EXTENSIONS)->text(), QString());
        QCOMPARE(OutputBoxText(dlg), QString());
        for (const Binding& binding : kBindings) {
            const bool ticked = binding.id == IDC_FILENAME || binding.id == IDC_EXTENSION;
            QCOMPARE(Control<QCheckBox>(dlg, binding.id)->isChecked(), ticked);
            QCOMPARE(dlg.*binding.flag, ticked ? 1 : 0);
        }
        QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(IDC_FOLDER));
    }

    void windowIsAResizableCaptionedApplicationWindow() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("ロスミナ"));
        const QSize size = dlg.Units().MapSize(227, 260);
        QCOMPARE(dlg.minimumSize(), size);
        QCOMPARE(dlg.size(), size);
        QCOMPARE(dlg.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        const Qt::WindowFlags flags = dlg.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(flags & Qt::WindowMaximizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        const QList<QSize> sizes = dlg.windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(32, 32)));
        QVERIFY(sizes.contains(QSize(16, 16)));
    }

    void outputBoxIsAnEditableUnwrappedBoxWithAVerticalScrollBar() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        auto* output = Control<OutputEdit>(dlg, IDC_OUTPUT);
        QVERIFY(output != nullptr);
        QCOMPARE(output->SendScintilla(OutputEdit::SCI_GETREADONLY), 0);
        QCOMPARE(output->SendScintilla(OutputEdit::SCI_GETWRAPMODE), OutputEdit::SC_WRAP_NONE);
        QCOMPARE(output->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(output->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void noButtonIsTheDefault() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        const QList<QPushButton*> buttons = dlg.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 2);
        for (const QPushButton* button : buttons) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    void updateDataMovesEachFlagToItsOwnBox() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        for (const Binding& chosen : kBindings) {
            for (const Binding& binding : kBindings) {
                dlg.*binding.flag = binding.id == chosen.id ? TRUE : FALSE;
            }
            dlg.UpdateData(FALSE);
            for (const Binding& binding : kBindings) {
                QCOMPARE(Control<QCheckBox>(dlg, binding.id)->isChecked(), binding.id == chosen.id);
            }
        }
    }

    void updateDataReadsEachBoxIntoItsOwnFlag() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        for (const Binding& chosen : kBindings) {
            for (const Binding& binding : kBindings) {
                Control<QCheckBox>(dlg, binding.id)->setChecked(binding.id == chosen.id);
            }
            dlg.UpdateData(TRUE);
            for (const Binding& binding : kBindings) {
                QCOMPARE(dlg.*binding.flag, binding.id == chosen.id ? 1 : 0);
            }
        }
    }

    void pressShowsTheRenderersTextForARealFolder() {
        TempTree tree;
        MakeSampleTree(tree);
        CTandrelDlg dlg;
        QVERIFY(Open(dlg, tree.root()));
        Control<OutputEdit>(dlg, IDC_OUTPUT)->SetText("typed by the user");

        Press(dlg, IDC_EXPAND);

        const CString expected = ExpectedText(tree.root(), TRUE, TRUE);
        QVERIFY(expected.view().ends_with("ﾃﾞｨﾚｸﾄﾘ数:2, ﾌｧｲﾙ数:3"));
        QVERIFY(expected.view().find("a.txt\r\n") != std::string_view::npos);
        QCOMPARE(dlg.m_strOutput.view(), expected.view());
        QString shown = QString::fromUtf8(expected.view().data(), expected.GetLength());
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(OutputBoxText(dlg), shown);
        QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), expected.view());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void pressConvertsTheActiveCodePageForTheBox() {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        TempTree tree;
        tree.touch("one.txt", 1);
        CTandrelDlg dlg;
        QVERIFY(Open(dlg, tree.root()));

        Press(dlg, IDC_EXPAND);

        const QStringList lines = OutputBoxText(dlg).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1], QStringLiteral("└ one.txt"));
        QCOMPARE(lines[3], QStringLiteral("ﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1"));
        // The text the dialog built is code page 932: the corner is 84 A4.
        QVERIFY(dlg.m_strOutput.view().find("\x84\xA4 one.txt") != std::string_view::npos);
    }

    void clearingFileNameClearsExtensionAndTickingItAgainDoesNotTickItBack() {
        TempTree tree;
        MakeSampleTree(tree);
        CTandrelDlg dlg;
        QVERIFY(Open(dlg, tree.root()));
        auto* fileName = Control<QCheckBox>(dlg, IDC_FILENAME);
        auto* extension = Control<QCheckBox>(dlg, IDC_EXTENSION);

        QTest::mouseClick(fileName, Qt::LeftButton);
        QVERIFY(!fileName->isChecked());
        QVERIFY(extension->isChecked());
        Press(dlg, IDC_EXPAND);
        QVERIFY(!extension->isChecked());
        QCOMPARE(dlg.m_bExtension, 0);
        QCOMPARE(dlg.m_strOutput.view(), ExpectedText(tree.root(), FALSE, FALSE).view());

        QTest::mouseClick(fileName, Qt::LeftButton);
        Press(dlg, IDC_EXPAND);
        QVERIFY(fileName->isChecked());
        QVERIFY(!extension->isChecked());
        QCOMPARE(dlg.m_bExtension, 0);
        QCOMPARE(dlg.m_strOutput.view(), ExpectedText(tree.root(), TRUE, FALSE).view());
    }

    void depthErrorShowsTheMessageAndKeepsTheOutputBox() {
        TempTree tree;
        tree.makeChain("", "d", 34);
        CTandrelDlg dlg;
        QVERIFY(Open(dlg, tree.root()));
        Control<OutputEdit>(dlg, IDC_OUTPUT)->SetText("before\r\nthe press");

        bool shown = false;
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        bool waitCursor = true;
        WhenModalShown<QMessageBox>([&](QMessageBox* box) {
            shown = true;
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            waitCursor = QApplication::overrideCursor() != nullptr;
            box->button(QMessageBox::Ok)->click();
        });
        Press(dlg, IDC_EXPAND);

        QVERIFY(shown);
        QCOMPARE(caption, QStringLiteral("Tandrel"));
        QCOMPARE(text, QStringLiteral("ディレクトリ階層が検索可能な深さよりも深くなりました。\n"
                                      "検索を中止します。"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!waitCursor);
        QCOMPARE(OutputBoxText(dlg), QStringLiteral("before\nthe press"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void depthErrorIsNoErrorWithoutSubfolders() {
        TempTree tree;
        tree.makeChain("", "d", 34);
        CTandrelDlg dlg;
        QVERIFY(Open(dlg, tree.root()));
        Control<QCheckBox>(dlg, IDC_NO_SUBFOLDERS)->setChecked(true);

        Press(dlg, IDC_EXPAND);

        QCOMPARE(OutputBoxText(dlg).split(QLatin1Char('\n')).value(1), QStringLiteral("└ *d"));
    }

    void enterInTheEditsAndOnACheckBoxClosesTheDialog() {
        for (int id : {IDC_FOLDER, IDC_EXTENSIONS, IDC_FILENAME, IDC_NO_TREELINES}) {
            CTandrelDlg dlg;
            QVERIFY(dlg.Create());
            dlg.show();
            QWidget* control = dlg.GetDlgItem(id);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Return);
            QVERIFY2(!dlg.isVisible(), qPrintable(control->objectName()));
            QCOMPARE(dlg.result(), IDOK);
        }
    }

    void enterClosingTheDialogSavesTheCheckBoxes() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));
        Control<QCheckBox>(dlg, IDC_SIZE)->setChecked(true);
        QTest::keyClick(dlg.GetDlgItem(IDC_FOLDER), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.m_bSize, 1);
    }

    void escapeClosesTheDialog() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));
        QTest::keyClick(dlg.GetDlgItem(IDC_OUTPUT), Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), IDCANCEL);
    }

    void enterInTheOutputBoxInsertsALineBreak() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));
        auto* output = Control<OutputEdit>(dlg, IDC_OUTPUT);
        output->setFocus();
        QTest::keyClicks(output, QStringLiteral("ab"));
        QTest::keyClick(output, Qt::Key_Return);
        QTest::keyClicks(output, QStringLiteral("c"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(OutputBoxText(dlg), QStringLiteral("ab\nc"));
    }

    void enterOnAFocusedButtonPressesIt() {
        TempTree tree;
        tree.touch("only.txt", 1);
        CTandrelDlg dlg;
        QVERIFY(Open(dlg, tree.root()));
        QWidget* expand = dlg.GetDlgItem(IDC_EXPAND);
        expand->setFocus();
        QTest::keyClick(expand, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(OutputBoxText(dlg).split(QLatin1Char('\n')).value(1),
                 QStringLiteral("└ only.txt"));

        int picked = 0;
        dlg.SetFolderPicker([&picked](const BROWSEINFO&) -> std::optional<QString> {
            ++picked;
            return std::nullopt;
        });
        QWidget* browse = dlg.GetDlgItem(IDC_BROWSE);
        browse->setFocus();
        QTest::keyClick(browse, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(picked, 1);
    }

    void contextMenuHoldsCloseSeparatorAndAbout() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        QMenu* menu = dlg.GetSystemMenu();
        QVERIFY(menu != nullptr);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QStringLiteral("閉じる(&C)"));
        QCOMPARE(actions[0]->data().toUInt(), SC_CLOSE);
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."));
        QCOMPARE(actions[2]->data().toUInt(), IDM_ABOUTBOX);
    }

    void contextMenuEntryOpensTheAboutBox() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));

        QString chosenEntry;
        WhenMenuShown([&chosenEntry](QMenu* menu) {
            QAction* about = menu->actions().value(2);
            chosenEntry = about->text();
            menu->setActiveAction(about);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        bool aboutShown = false;
        QString caption;
        QStringList texts;
        bool hasIcon = false;
        WhenModalShown<CAboutDlg>([&](CAboutDlg* about) {
            aboutShown = true;
            caption = about->windowTitle();
            for (const QLabel* label : about->findChildren<QLabel*>()) {
                if (!label->pixmap().isNull()) {
                    hasIcon = true;
                } else {
                    texts.append(label->text());
                }
            }
            // Enter presses the default button, OK.
            QTest::keyClick(about, Qt::Key_Return);
        });
        const QPoint where(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, where, dlg.mapToGlobal(where));
        QApplication::sendEvent(&dlg, &event);

        QCOMPARE(chosenEntry, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."));
        QVERIFY(aboutShown);
        QCOMPARE(caption, QStringLiteral("ロスミナのﾊﾞｰｼﾞｮﾝ情報"));
        QVERIFY(hasIcon);
        QVERIFY(texts.contains(QStringLiteral("ロスミナ Version 1.00")));
        QVERIFY(dlg.isVisible());
    }

    void menuKeyOnACheckBoxOpensTheContextMenu() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));
        QWidget* size = dlg.GetDlgItem(IDC_SIZE);
        size->setFocus();
        QStringList entries;
        WhenMenuShown([&entries](QMenu* menu) {
            for (const QAction* action : menu->actions()) {
                entries.append(action->text());
            }
            menu->close();
        });
        // What the platform makes of the Menu key (X11 does): a keyboard
        // context-menu request to the focused control, which passes it on.
        const QPoint centre = size->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, centre, size->mapToGlobal(centre));
        QApplication::sendEvent(size, &event);
        QCOMPARE(entries.value(2), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."));
        QVERIFY(dlg.isVisible());
    }

    void contextMenuCloseEntryClosesTheDialog() {
        CTandrelDlg dlg;
        QVERIFY(Open(dlg));
        WhenMenuShown([](QMenu* menu) {
            menu->setActiveAction(menu->actions().value(0));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint where(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, where, dlg.mapToGlobal(where));
        QApplication::sendEvent(&dlg, &event);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), IDCANCEL);
    }
};

QTEST_MAIN(TandrelDlgTest)
#include "TandrelDlgTest.moc"
