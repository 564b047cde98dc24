// The dialog templates in app/res hold every control with its id, kind,
// style, rectangle, text and tab order, and CDialog builds them as placed.

#include <QTest>

#include <vector>

#include "tandrel/dialog/DialogTemplate.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelDlg.h"

using tandrel::dialog::ControlTemplate;
using tandrel::dialog::DialogRect;
using tandrel::dialog::DialogTemplate;

namespace {

struct Row {
    int id;
    const char* kind;
    QStringList style;
    DialogRect rect;
    QString text;
};

const QStringList kEdit{"ES_AUTOHSCROLL", "WS_BORDER", "WS_TABSTOP"};
const QStringList kTabStop{"WS_TABSTOP"};

// The main dialog's controls in tab order.
std::vector<Row> MainRows() {
    return {
        {IDC_FOLDER, "EDITTEXT", kEdit, {7, 7, 173, 14}, ""},
        {IDC_BROWSE, "PUSHBUTTON", kTabStop, {185, 7, 35, 14}, "参照"},
        {IDC_EXTENSIONS, "EDITTEXT", kEdit, {155, 25, 65, 13}, ""},
        {IDC_EXPAND, "PUSHBUTTON", kTabStop, {170, 87, 50, 14}, "展開"},
        {IDC_OUTPUT,
         "EDITTEXT",
         {"ES_MULTILINE", "ES_AUTOHSCROLL", "ES_WANTRETURN", "WS_BORDER", "WS_VSCROLL",
          "WS_TABSTOP"},
         {7, 104, 213, 149},
         ""},
        {IDC_ITEMS_GROUP, "GROUPBOX", {}, {7, 47, 110, 39}, "出力項目アイテム"},
        {IDC_FILENAME, "AUTOCHECKBOX", kTabStop, {11, 60, 48, 10}, "ファイル名"},
        {IDC_EXTENSION, "AUTOCHECKBOX", kTabStop, {60, 60, 37, 10}, "拡張子"},
        {IDC_TIMESTAMP, "AUTOCHECKBOX", kTabStop, {60, 71, 53, 10}, "タイムスタンプ"},
        {IDC_SIZE, "AUTOCHECKBOX", kTabStop, {11, 71, 48, 10}, "サイズ"},
        {IDC_STATIC,
         "LTEXT",
         {"WS_GROUP"},
         {7, 91, 140, 8},
         "※ フォルダのタイムスタンプは出力されません。"},
        {IDC_NO_SUBFOLDERS,
         "AUTOCHECKBOX",
         kTabStop,
         {121, 52, 94, 10},
         "ｻﾌﾞﾌｫﾙﾀﾞ以下を検索しない"},
        {IDC_ROOT_FULLPATH,
         "AUTOCHECKBOX",
         kTabStop,
         {121, 62, 100, 10},
         "検索ﾌｫﾙﾀﾞのﾙｰﾄはﾌﾙﾊﾟｽ表示"},
        {IDC_NO_TREELINES, "AUTOCHECKBOX", kTabStop, {121, 73, 100, 10}, "階層線を出力しない"},
        {IDC_STATIC,
         "LTEXT",
         {"WS_GROUP"},
         {7, 29, 148, 8},
         "検索対象の拡張子（ｽﾍﾟｰｽで区切って複数入力可）"},
    };
}

void CompareControls(const DialogTemplate& dialog, const std::vector<Row>& rows) {
    QCOMPARE(dialog.controls.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ControlTemplate& control = dialog.controls[i];
        QCOMPARE(control.id, rows[i].id);
        QCOMPARE(control.kind, QString::fromLatin1(rows[i].kind));
        QCOMPARE(control.style, rows[i].style);
        QVERIFY(control.rect == rows[i].rect);
        QCOMPARE(control.text, rows[i].text);
    }
}

}  // namespace

class DialogTemplateTest : public QObject {
    Q_OBJECT

  private slots:
    void mainTemplateHoldsTheFrame() {
        const std::optional<DialogTemplate> dialog = DialogTemplate::Load(IDD_MAIN);
        QVERIFY(dialog.has_value());
        QCOMPARE(dialog->id, IDD_MAIN);
        QCOMPARE(dialog->caption, QStringLiteral("ロスミナ"));
        QCOMPARE(dialog->style, (QStringList{"WS_POPUP", "WS_VISIBLE", "WS_CAPTION", "WS_SYSMENU",
                                             "WS_THICKFRAME", "WS_MAXIMIZEBOX", "DS_MODALFRAME"}));
        QCOMPARE(dialog->exStyle, QStringList{"WS_EX_APPWINDOW"});
        QCOMPARE(dialog->fontFace, QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(dialog->fontPoints, 9);
        QCOMPARE(dialog->cx, 227);
        QCOMPARE(dialog->cy, 260);
    }

    void mainTemplateHoldsTheControlsInTabOrder() {
        const std::optional<DialogTemplate> dialog = DialogTemplate::Load(IDD_MAIN);
        QVERIFY(dialog.has_value());
        CompareControls(*dialog, MainRows());
    }

    void aboutTemplateHoldsIconTextsAndDefaultButton() {
        const std::optional<DialogTemplate> dialog = DialogTemplate::Load(IDD_ABOUTBOX);
        QVERIFY(dialog.has_value());
        QCOMPARE(dialog->caption, QStringLiteral("ロスミナのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(dialog->style,
                 (QStringList{"WS_POPUP", "WS_CAPTION", "WS_SYSMENU", "DS_MODALFRAME"}));
        QCOMPARE(dialog->fontFace, QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(dialog->fontPoints, 9);
        QCOMPARE(dialog->cx, 235);
        QCOMPARE(dialog->cy, 59);
        QCOMPARE(dialog->controls.size(), 4U);
        QCOMPARE(dialog->controls[0].kind, QStringLiteral("ICON"));
        QCOMPARE(dialog->controls[0].icon, IDR_MAINFRAME);
        QVERIFY(dialog->controls[0].rect == (DialogRect{11, 17, 20, 20}));
        QCOMPARE(dialog->controls[1].text, QStringLiteral("ロスミナ Version 1.00"));
        QVERIFY(dialog->controls[1].HasStyle(QStringLiteral("SS_NOPREFIX")));
        QVERIFY(dialog->controls[1].rect == (DialogRect{40, 10, 119, 8}));
        QVERIFY(!dialog->controls[2].text.isEmpty());
        QVERIFY(dialog->controls[2].rect == (DialogRect{41, 25, 145, 8}));
        QCOMPARE(dialog->controls[3].id, IDOK);
        QCOMPARE(dialog->controls[3].kind, QStringLiteral("DEFPUSHBUTTON"));
        QCOMPARE(dialog->controls[3].text, QStringLiteral("OK"));
        QVERIFY(dialog->controls[3].rect == (DialogRect{178, 7, 50, 14}));
    }

    void malformedTemplatesAreRefused() {
        QVERIFY(!DialogTemplate::FromJson("not json").has_value());
        QVERIFY(!DialogTemplate::FromJson(R"({"size": [1]})").has_value());
        QVERIFY(!DialogTemplate::FromJson(R"({"size": [1, 2], "controls": [{"rect": [1, 2, 3]}]})")
                     .has_value());
        QVERIFY(!DialogTemplate::Load(4242).has_value());
    }

    void controlsArePlacedAtTheirConvertedRectangles() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        QVERIFY(dlg.Units().BaseX() > 0);
        QVERIFY(dlg.Units().BaseY() > 0);
        for (const Row& row : MainRows()) {
            if (row.id == IDC_STATIC) {
                continue;
            }
            QWidget* widget = dlg.GetDlgItem(row.id);
            QVERIFY(widget != nullptr);
            QCOMPARE(widget->geometry(), dlg.Units().MapDialogRect(row.rect));
        }
    }

    void tabOrderFollowsTheTemplate() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        std::vector<int> expected;
        for (const Row& row : MainRows()) {
            if (row.style.contains(QStringLiteral("WS_TABSTOP"))) {
                expected.push_back(row.id);
            }
        }
        std::vector<int> order;
        QWidget* widget = dlg.GetDlgItem(IDC_FOLDER);
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->parentWidget() == &dlg) {
                order.push_back(widget->property("controlId").toInt());
            }
            widget = widget->nextInFocusChain();
        } while (widget != dlg.GetDlgItem(IDC_FOLDER));
        QCOMPARE(order, expected);
    }
};

QTEST_MAIN(DialogTemplateTest)
#include "DialogTemplateTest.moc"
