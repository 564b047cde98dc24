// The dialog program as a user meets it: the opening state, presses of "展開"
// on real folders, the settings, the depth error, the keyboard, the window
// menu with the About box, the folder picker and a dropped folder.

// <windows.h> defines IDC_SIZE as a cursor's id: the size check box keeps its own.
#define IDC_SIZE ((const char*)32640)
#include "tandrel/dialog/ResourceIds.h"
static_assert(IDC_SIZE == 1009);

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "DialogTestSupport.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/AboutDlg.h"
#include "tandrel/dialog/ControlFactory.h"
#include "tandrel/dialog/DialogTemplate.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/SettingsDlg.h"
#include "tandrel/dialog/TandrelApp.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/Patterns.h"

using platform::CodePage;
using tandrel::dialog::test::Rendered;
using tandrel::dialog::test::WhenShown;

namespace {

bool Ticked(const CDialog& dialog, int id) {
    return qobject_cast<QCheckBox*>(dialog.GetDlgItem(id))->isChecked();
}

void Click(const CDialog& dialog, int id) {
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

// `text` with its LF line ends made CR LF, as the output box has them.
std::string WithCrLf(std::string_view text) {
    std::string crlf;
    for (const char c : text) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return crlf;
}

// Chooses the entry `index` of the menu the next event opens.
void ChooseFromMenu(int index) {
    WhenShown<QMenu>([index](QMenu* menu) {
        menu->setActiveAction(menu->actions().value(index));
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { platform::SetActiveCodePage(CodePage::Utf8); }

    // The application runs the main dialog until it closes: it opens on "/"
    // with file names and extensions ticked, with every control inside it, in
    // a Japanese font.
    void openingState() {
        auto& app = *static_cast<CTandrelApp*>(QCoreApplication::instance());
        QStringList seen;
        WhenShown<CTandrelDlg>([&](CTandrelDlg* dlg) {
            seen << QString::number(app.m_pMainWnd == dlg && dlg->font().pointSize() == 9 &&
                                    dlg->GetDlgItemText(IDC_FOLDER) == "/" &&
                                    dlg->GetDlgItemText(IDC_OUTPUT).IsEmpty() &&
                                    dlg->focusWidget() == dlg->GetDlgItem(IDC_FOLDER));
            for (const int id : {IDC_FILENAME, IDC_EXTENSION, IDC_SIZE, IDC_TIMESTAMP,
                                 IDC_NO_TREELINES, IDC_ROOT_FULLPATH, IDC_NO_SUBFOLDERS}) {
                seen << QString::number(Ticked(*dlg, id));
            }
            const auto controls = dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            seen << QString::number(std::ranges::count_if(controls, [dlg](const QWidget* control) {
                return !control->isWindow() && !dlg->rect().contains(control->geometry());
            }));
            const QString family = QFontInfo(dlg->font()).family();
            seen << QString::number(
                QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese));
            dlg->reject();
        });
        QCOMPARE(app.Run(), 0);
        QCOMPARE(seen, (QStringList{"1", "1", "1", "0", "0", "0", "0", "0", "0", "1"}));
        QVERIFY(app.m_pMainWnd == nullptr);
    }

    // A press shows the renderer's text for the engine's listing of the
    // folder, with the options the boxes show after it; clearing file names
    // clears extensions, and ticking it again leaves them cleared.
    void pressShowsTheRenderersTextOrTheDepthError() {
        morvash::test::TempTree temp;
        temp.makeFolder("work");
        temp.makeFolder("work/docs");
        temp.touch("work/docs/a.txt", 12);
        temp.touch("work/docs/b.md", 2048);
        temp.touch("work/readme.txt", 5);
        const std::string tree = temp.path("work");
        const std::tuple<CodePage, std::vector<int>, const char*, bool> kPresses[] = {
            {CodePage::Utf8, {}, "", true},
            {CodePage::Utf8, {IDC_FILENAME}, "", false},
            {CodePage::Utf8, {IDC_FILENAME, IDC_SIZE, IDC_ROOT_FULLPATH}, "txt md", false},
            {CodePage::Utf8, {IDC_EXTENSION, IDC_TIMESTAMP, IDC_NO_TREELINES}, "", true},
            {CodePage::Cp932, {IDC_SIZE, IDC_ROOT_FULLPATH, IDC_NO_SUBFOLDERS}, "", true},
        };
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.SetDlgItemText(IDC_FOLDER, tree.c_str());
        for (const auto& [page, clicks, extensions, extension] : kPresses) {
            platform::SetActiveCodePage(page);
            for (const int id : clicks) {
                Click(dlg, id);
            }
            dlg.SetDlgItemText(IDC_EXTENSIONS, extensions);
            Click(dlg, IDC_EXPAND);
            QCOMPARE(Ticked(dlg, IDC_EXTENSION), extension);
            const CString expected =
                Rendered(tree.c_str(), Ticked(dlg, IDC_ROOT_FULLPATH), extensions,
                         Ticked(dlg, IDC_NO_SUBFOLDERS) ? 0 : MAX_SEARCH_DEPTH,
                         {Ticked(dlg, IDC_FILENAME), extension, Ticked(dlg, IDC_SIZE),
                          Ticked(dlg, IDC_TIMESTAMP), Ticked(dlg, IDC_NO_TREELINES)});
            QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), expected.view());
            QCOMPARE(dlg.m_strOutput.view(), expected.view());
            QVERIFY(QApplication::overrideCursor() == nullptr);
        }

        // A folder whose listing reaches 32 levels: the depth error's message
        // box, without the wait cursor; the output box keeps its text.
        temp.makeChain("", "deep", 34);
        dlg.SetDlgItemText(IDC_FOLDER, temp.path("deep").c_str());
        Click(dlg, IDC_NO_SUBFOLDERS);
        dlg.SetDlgItemText(IDC_OUTPUT, "\r\nbefore\r\nthe press");
        QStringList seen;
        WhenShown<QMessageBox>([&seen](QMessageBox* box) {
            seen << box->windowTitle() << box->text() << QString::number(box->icon())
                 << QString::number(QApplication::overrideCursor() != nullptr);
            box->button(QMessageBox::Ok)->click();
        });
        Click(dlg, IDC_EXPAND);
        QCOMPARE(seen, (QStringList{"Tandrel",
                                    "ディレクトリ階層が検索可能な深さよりも深くなりました。\n"
                                    "検索を中止します。",
                                    QString::number(QMessageBox::Critical), "0"}));
        QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), "\r\nbefore\r\nthe press");
    }

    // Each setting, reached by its key, sets what the walk leaves out, its
    // depth or order, or the pieces; Enter keeps the settings and marks 詳細,
    // Esc keeps none. The folder name order is the C locale's.
    void settingsReachTheWalk() {
        std::setlocale(LC_COLLATE, "C");
        morvash::test::TempTree temp;
        temp.makeChain("", "t/sub", 1);
        temp.makeFolder("repo");
        for (const auto& [file, size, time] : {std::tuple{"t/sub/c.txt", 0, 0},
                                               {"t/.h", 0, 1000},
                                               {"t/a.log", 10000, 3000},
                                               {"t/b.txt", 2, 2000},
                                               {"repo/a.log", 0, 0},
                                               {"repo/b.txt", 0, 0}}) {
            temp.touch(file, size);
            temp.setTime(file, time);
        }
        temp.setTime("t/sub", 500);
        QCOMPARE(std::system(
                     ("cd '" + temp.path("repo") + "' && git init -q && echo '*.log' > .gitignore")
                         .c_str()),
                 0);
        const char* const kAll =
            "t\n├ .h\n├ a.log\n├ b.txt\n└ *sub\n　 └ c.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4";
        const std::tuple<const char*, const char*, const char*, const char*> kRows[] = {
            // typed in the first box, the keys, the folder, the text (null: the
            // file system's order)
            {"", "Return", "t", kAll},
            {" *.x|*.log  sub/ ", "Return", "t", "t\n├ .h\n└ b.txt\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2"},
            {"", "Alt+G, Return", "repo", "repo\n├ .gitignore\n└ b.txt\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2"},
            {"", "Alt+H, Return", "t",
             "t\n├ a.log\n├ b.txt\n└ *sub\n　 └ c.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:3"},
            {"", "Alt+L, Tab, 1, Return", "t",
             "t\n├ .h\n├ a.log\n├ b.txt\n└ *sub\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:3"},
            {"", "Tab, Tab, Tab, Tab, Down, Return", "t", nullptr},
            {"", "Alt+S, End, Up, Return", "t",
             "t\n├ a.log\n├ *sub\n│ └ c.txt\n├ b.txt\n└ .h\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4"},
            {"", "Alt+S, End, Return", "t",
             "t\n├ a.log\n├ b.txt\n├ .h\n└ *sub\n　 └ c.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4"},
            {"", "Alt+R, Return", "t",
             "t\n├ *sub\n│ └ c.txt\n├ b.txt\n├ a.log\n└ .h\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4"},
            {"", "Alt+F, Return", "t",
             "t\n├ *sub\n│ └ c.txt\n├ .h\n├ a.log\n└ b.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4"},
            {"", "Alt+A, Return", "t",
             "t\n|- .h\n|- a.log\n|- b.txt\n`- *sub\n   `- c.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4"},
            {"x", "Alt+H, Escape", "t", kAll},
        };
        for (const auto& [typed, keys, folder, text] : kRows) {
            CTandrelDlg dlg;
            QVERIFY(dlg.Create());
            dlg.show();
            dlg.SetDlgItemText(IDC_FOLDER, temp.path(folder).c_str());
            // The second opening shows the settings of the first and keeps them.
            int shownDepth = 0;
            for (const auto& [text, keys] : {std::pair(typed, keys), std::pair("", "Return")}) {
                WhenShown<CSettingsDlg>([text, keys, &shownDepth](CSettingsDlg* box) {
                    shownDepth = box->findChild<QSpinBox*>()->value();
                    QApplication::setActiveWindow(box);
                    QTest::keyClicks(box->focusWidget(), text);
                    for (const QString& key : QString(keys).split(", ")) {
                        const QKeyCombination combination = QKeySequence(key)[0];
                        QTest::keyClick(box->focusWidget(), combination.key(),
                                        combination.keyboardModifiers());
                    }
                });
                // Mnemonics act in the active window only.
                QApplication::setActiveWindow(&dlg);
                QTest::keyClick(&dlg, Qt::Key_D, Qt::AltModifier);
            }
            QCOMPARE(shownDepth, QString(keys).contains(QStringLiteral("Tab, 1")) ? 1 : 3);
            Click(dlg, IDC_EXPAND);
            const std::string expected =
                text != nullptr ? WithCrLf(text)
                                : std::string(Rendered(temp.path(folder).c_str(), FALSE, "",
                                                       MAX_SEARCH_DEPTH, {}, morvash::SortKey::None)
                                                  .view());
            QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), expected);
            QCOMPARE(dlg.GetDlgItemText(IDC_SETTINGS).view(),
                     text == kAll ? "詳細(&D)..." : "詳細(&D)*...");
        }
        // In code page 932 the second byte of a character may be a "|" (ポ is 83 7C).
        platform::SetActiveCodePage(CodePage::Cp932);
        QCOMPARE(tandrel::SplitPatterns("\x83\x7C* a|b", true),
                 (std::vector<std::string>{"\x83\x7C*", "a", "b"}));
        QCOMPARE(tandrel::SplitPatterns("\x83\x7C* a||b", false),
                 (std::vector<std::string>{"\x83\x7C* a", "b"}));
    }

    // Enter in an edit or on a check box closes the dialog, saving the boxes;
    // Esc closes it; the output box and a focused button take Enter themselves.
    void keyboard() {
        morvash::test::TempTree tree;
        tree.touch("f");
        const std::tuple<int, Qt::Key, int, std::string, BOOL> kKeys[] = {
            // the control, the key, the result (0: still open), the output box, the size flag
            {IDC_FOLDER, Qt::Key_Return, IDOK, "", TRUE},
            {IDC_EXTENSIONS, Qt::Key_Enter, IDOK, "", TRUE},
            {IDC_FILENAME, Qt::Key_Return, IDOK, "", TRUE},
            {IDC_OUTPUT, Qt::Key_Escape, IDCANCEL, "", FALSE},
            {IDC_OUTPUT, Qt::Key_Return, 0, "\r\n", FALSE},
            {IDC_EXPAND, Qt::Key_Return, 0,
             tree.root() + "\r\n└ f\t0 B\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1", TRUE},
        };
        for (const auto& [id, key, result, output, size] : kKeys) {
            CTandrelDlg dlg;
            QVERIFY(dlg.Create());
            dlg.show();
            dlg.SetDlgItemText(IDC_FOLDER, tree.root().c_str());
            Click(dlg, IDC_ROOT_FULLPATH);
            Click(dlg, IDC_SIZE);
            dlg.GetDlgItem(id)->setFocus();
            QTest::keyClick(dlg.GetDlgItem(id), key);
            QCOMPARE(dlg.isVisible(), result == 0);
            QCOMPARE(dlg.result(), result);
            QCOMPARE(dlg.GetDlgItemText(IDC_OUTPUT).view(), output);
            QCOMPARE(dlg.m_bSize, size);
        }
    }

    // The Menu key on a check box opens the window menu, whose About entry
    // opens the About box; Enter closes that through its default button. The
    // menu's first entry, from a right click on the background, closes the dialog.
    void windowMenuAndAboutBox() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        QStringList seen;
        for (const QAction* entry : dlg.GetSystemMenu()->actions()) {
            seen << entry->text();
        }
        ChooseFromMenu(3);
        WhenShown<CAboutDlg>([&seen](CAboutDlg* box) {
            seen << box->windowTitle();
            for (const QLabel* label : box->findChildren<QLabel*>()) {
                seen << (label->pixmap().isNull() ? label->text()
                                                  : QString::number(label->width()));
            }
            QTest::keyClick(box, Qt::Key_Return);
        });
        QWidget* size = dlg.GetDlgItem(IDC_SIZE);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, {}, size->mapToGlobal(QPoint()));
        QApplication::sendEvent(size, &key);
        ChooseFromMenu(1);
        WhenShown<CSettingsDlg>([&seen](CSettingsDlg* box) {
            // Only the main window's template asks for a maximise button.
            QVERIFY(!box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
            QVERIFY(qobject_cast<QPushButton*>(box->GetDlgItem(IDOK))->isDefault());
            seen << box->windowTitle();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QApplication::sendEvent(size, &key);
        QCOMPARE(seen.mid(0, 7),
                 (QStringList{"閉じる(&C)", "詳細設定(&D)...", "", "ﾊﾞｰｼﾞｮﾝ情報(&A)...",
                              "ロスミナのﾊﾞｰｼﾞｮﾝ情報", "32", "ロスミナ Version 1.00"}));
        QCOMPARE(seen.last(), "詳細設定");
        QVERIFY(dlg.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg.isVisible());
        ChooseFromMenu(0);
        QContextMenuEvent click(QContextMenuEvent::Mouse, {5, 5}, dlg.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&dlg, &click);
        QCOMPARE(dlg.result(), IDCANCEL);
        QVERIFY(!dlg.isVisible());
    }

    // A folder the picker delivers replaces the folder text when its path, in
    // the active code page, is shorter than 260 bytes. Qt's directory dialog
    // shows the title, opens at the folder text, window-modal without an
    // owner, and hands the chosen folder back.
    void folderPicker() {
        const std::tuple<CodePage, const char*, std::optional<QString>, const char*> kPicks[] = {
            // the code page, the folder text, the choice, the folder text after
            {CodePage::Utf8, "/start here", "/srv/data", "/srv/data"},
            {CodePage::Utf8, "/before", std::nullopt, "/before"},
            {CodePage::Utf8, "/before", "/" + QString(259, 'a'), "/before"},
            {CodePage::Cp932, "/\x95\x5C", "/データ", "/\x83\x66\x81\x5B\x83\x5E"},
        };
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        for (const auto& [page, typed, chosen, shown] : kPicks) {
            platform::SetActiveCodePage(page);
            dlg.SetFolderPicker([&chosen](const BROWSEINFO&) { return chosen; });
            dlg.SetDlgItemText(IDC_FOLDER, typed);
            Click(dlg, IDC_BROWSE);
            QCOMPARE(dlg.GetDlgItemText(IDC_FOLDER).view(), shown);
        }
        morvash::test::TempTree tree;
        dlg.SetFolderPicker(ShowFolderPicker);
        dlg.SetDlgItemText(IDC_FOLDER, (tree.root() + "/").c_str());
        QStringList seen;
        tree.setTime("", 1709284500);
        WhenShown<QFileDialog>([&seen, &tree](QFileDialog* picker) {
            seen << picker->windowTitle() << picker->directory().absolutePath()
                 << QString::number(picker->parentWidget() == nullptr &&
                                    picker->windowModality() == Qt::WindowModal);
            // The folder's type and date (UTC here) in the list, in Japanese.
            const QAbstractProxyModel* list = picker->proxyModel();
            const QModelIndex date = list->mapFromSource(
                static_cast<QFileSystemModel*>(list->sourceModel())->index(tree.root().c_str(), 3));
            seen << date.siblingAtColumn(2).data().toString() << date.data().toString();
            static_cast<QDialog*>(picker)->accept();
        });
        Click(dlg, IDC_BROWSE);
        QCOMPARE(seen, (QStringList{"ﾌｫﾙﾀﾞを選択して下さい", tree.root().c_str(), "1", "フォルダ",
                                    "2024/03/01 9:15"}));
        // A path of 260 bytes never fits, however large the caller's buffer.
        std::array<char, 300> path{};
        const auto longPath = [](const BROWSEINFO&) {
            return std::optional("/" + QString(259, 'a'));
        };
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), 300, longPath), 1);
        QCOMPARE(path[0], '\0');
        QCOMPARE(dlg.GetDlgItemText(IDC_FOLDER).view(), tree.root());
    }

    // A folder dropped anywhere on the window goes into the folder box, also
    // through an edit, which takes dropped text itself; a file, or two
    // folders, are not taken.
    void folderDrop() {
        morvash::test::TempTree tree;
        tree.makeFolder("d");
        tree.touch("f");
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        QWidget* output =
            qobject_cast<tandrel::dialog::OutputEdit*>(dlg.GetDlgItem(IDC_OUTPUT))->viewport();
        const std::tuple<std::vector<std::string>, QWidget*, std::string> kDrops[] = {
            // the dropped paths, where, the folder box after
            {{tree.path("d/")}, output, tree.path("d")},
            {{tree.root()}, dlg.GetDlgItem(IDC_FOLDER), tree.root()},
            {{tree.root()}, &dlg, tree.root()},
            {{tree.path("f")}, &dlg, "before"},
            {{tree.root(), tree.path("d")}, &dlg, "before"},
        };
        for (const auto& [paths, target, folder] : kDrops) {
            dlg.SetDlgItemText(IDC_FOLDER, "before");
            QMimeData data;
            QList<QUrl> urls;
            for (const std::string& path : paths) {
                urls << QUrl::fromLocalFile(QString::fromStdString(path));
            }
            data.setUrls(urls);
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QCOMPARE(dlg.GetDlgItemText(IDC_FOLDER).view(), folder);
        }
    }

    // An edit that its template makes read-only is read-only, single-line or
    // multi-line; dialog units convert edge by edge, halves rounding up; a
    // template whose control has a malformed rectangle, layout or range is
    // refused whole.
    void controls() {
        const auto parsed = [](const char* control) {
            const QByteArray json =
                QByteArray(R"({"size": [10, 10], "controls": [)") + control + "]}";
            return tandrel::dialog::DialogTemplate::FromJson(json).has_value();
        };
        QVERIFY(parsed(R"({"rect": [0, 0, 5, 5], "layout": [0, 0, 1, 1], "range": [1, 32]})"));
        QVERIFY(parsed(R"({"rect": [0, 0, 5, 5]})"));
        for (const char* bad :
             {R"({"rect": [0, 0, 5]})", R"({"rect": [0, 0, 5, 5], "layout": [0]})",
              R"({"rect": [0, 0, 5, 5], "range": [1]})"}) {
            QVERIFY2(!parsed(bad), bad);
        }
        QCOMPARE(tandrel::dialog::DialogUnits(6, 12).MapDialogRect({1, 1, 1, 1}),
                 QRect(2, 2, 1, 1));
        QWidget parent;
        for (const QStringList& style :
             {QStringList{"ES_READONLY"}, QStringList{"ES_MULTILINE", "ES_READONLY"}}) {
            tandrel::dialog::ControlTemplate edit;
            edit.kind = "EDITTEXT";
            edit.style = style;
            QWidget* made = CreateControl(edit, &parent, {1, 1});
            auto* line = qobject_cast<QLineEdit*>(made);
            auto* box = qobject_cast<tandrel::dialog::OutputEdit*>(made);
            QVERIFY(line != nullptr ? line->isReadOnly()
                                    : box->SendScintilla(QsciScintillaBase::SCI_GETREADONLY) != 0);
        }
    }
};

int main(int argc, char* argv[]) {
    // The folder picker shows local times.
    setenv("TZ", "UTC", 1);
    CTandrelApp app(argc, argv);
    DialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DialogTest.moc"
