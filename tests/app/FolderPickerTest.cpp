// The folder picker: BrowseForFolderPath's results and 260-byte limit,
// BrowseCallbackProc's preselection, Qt's directory dialog as the picker, and
// OnBrowse writing the chosen path back into the folder edit on 1 only.

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "DialogTestSupport.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/FolderPicker.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"

using tandrel::dialog::FromWidgetText;
using tandrel::dialog::ToWidgetText;
using tandrel::dialog::test::Control;
using tandrel::dialog::test::WhenModalShown;

namespace {

// A picker that confirms `chosen` (or cancels when there is none) and keeps
// what it was asked to show.
struct FakePicker {
    std::optional<QString> chosen;
    int calls = 0;
    QWidget* owner = reinterpret_cast<QWidget*>(1);
    QString title;
    UINT flags = 99;
    BFFCALLBACK callback = nullptr;
    std::string data;

    FolderPicker Picker() {
        return [this](const BROWSEINFO& bi) {
            ++calls;
            owner = bi.hwndOwner;
            title = ToWidgetText(bi.lpszTitle);
            flags = bi.ulFlags;
            callback = bi.lpfn;
            data = reinterpret_cast<const char*>(bi.lParam);
            return chosen;
        };
    }
};

// A path of exactly `bytes` bytes: "/" and then letters.
QString PathOfBytes(int bytes) {
    return QStringLiteral("/") + QString(bytes - 1, QLatin1Char('a'));
}

QString FolderText(const CTandrelDlg& dlg) {
    return Control<QLineEdit>(dlg, IDC_FOLDER)->text();
}

void SetFolderText(const CTandrelDlg& dlg, const QString& text) {
    Control<QLineEdit>(dlg, IDC_FOLDER)->setText(text);
}

void PressBrowse(const CTandrelDlg& dlg) {
    QTest::mouseClick(Control<QPushButton>(dlg, IDC_BROWSE), Qt::LeftButton);
}

}  // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { platform::SetActiveCodePage(platform::CodePage::Utf8); }

    void pickerIsDescribedWithTitleCallbackAndFolderText() {
        FakePicker fake;
        std::array<char, MAX_PATH> path{};
        QCOMPARE(BrowseForFolderPath(nullptr, "/some/folder", path.data(), MAX_PATH, fake.Picker()),
                 2);
        QCOMPARE(fake.calls, 1);
        QVERIFY(fake.owner == nullptr);
        QCOMPARE(fake.title, QStringLiteral("ﾌｫﾙﾀﾞを選択して下さい"));
        QCOMPARE(fake.flags, 0U);
        QVERIFY(fake.callback == &BrowseCallbackProc);
        QCOMPARE(fake.data, std::string("/some/folder"));
    }

    void chosenPathIsCopiedWithResultOne() {
        FakePicker fake;
        fake.chosen = QStringLiteral("/home/user/work");
        std::array<char, MAX_PATH> path{};
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), MAX_PATH, fake.Picker()), 1);
        QCOMPARE(std::string(path.data()), std::string("/home/user/work"));
    }

    void cancelReturnsTwoAndLeavesTheBuffer() {
        FakePicker fake;
        std::array<char, MAX_PATH> path{};
        std::strcpy(path.data(), "kept");
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), MAX_PATH, fake.Picker()), 2);
        QCOMPARE(std::string(path.data()), std::string("kept"));
    }

    void pathOf260BytesIsNotCopied() {
        FakePicker fake;
        std::array<char, MAX_PATH + 8> path{};
        std::strcpy(path.data(), "kept");
        fake.chosen = PathOfBytes(260);
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), MAX_PATH + 8, fake.Picker()), 1);
        QCOMPARE(std::string(path.data()), std::string("kept"));

        fake.chosen = PathOfBytes(259);
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), MAX_PATH + 8, fake.Picker()), 1);
        QCOMPARE(QString::fromStdString(path.data()), *fake.chosen);
    }

    void pathMustAlsoFitTheCallersBuffer() {
        FakePicker fake;
        std::array<char, 16> path{};
        std::strcpy(path.data(), "kept");
        fake.chosen = QStringLiteral("/abcdefghi");  // 10 bytes
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), 10, fake.Picker()), 1);
        QCOMPARE(std::string(path.data()), std::string("kept"));
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), 11, fake.Picker()), 1);
        QCOMPARE(std::string(path.data()), std::string("/abcdefghi"));
    }

    void pathLimitCountsBytesOfTheActiveCodePage() {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        FakePicker fake;
        std::array<char, MAX_PATH> path{};
        // 表 is two bytes in code page 932: 1 + 129 * 2 = 259 bytes.
        fake.chosen = QStringLiteral("/") + QString(129, QChar(0x8868));
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), MAX_PATH, fake.Picker()), 1);
        QCOMPARE(std::strlen(path.data()), 259U);
        QCOMPARE(ToWidgetText(path.data()), *fake.chosen);

        std::strcpy(path.data(), "kept");
        fake.chosen = *fake.chosen + QLatin1Char('a');
        QCOMPARE(BrowseForFolderPath(nullptr, "", path.data(), MAX_PATH, fake.Picker()), 1);
        QCOMPARE(std::string(path.data()), std::string("kept"));
    }

    void callbackSelectsTheFolderWhenThePickerIsReady() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QFileDialog picker;
        picker.setDirectory(QDir::rootPath());
        const std::string text = folder.path().toStdString();
        QCOMPARE(BrowseCallbackProc(&picker, BFFM_INITIALIZED, 0,
                                    reinterpret_cast<LPARAM>(text.c_str())),
                 0);
        QCOMPARE(picker.directory().absolutePath(), QDir(folder.path()).absolutePath());
    }

    void callbackIgnoresNullDataOtherMessagesAndNoFolder() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string text = folder.path().toStdString();
        const std::string missing = text + "/missing";
        QFileDialog picker;
        picker.setDirectory(QDir::rootPath());
        QCOMPARE(BrowseCallbackProc(&picker, BFFM_INITIALIZED, 0, 0), 0);
        QCOMPARE(BrowseCallbackProc(&picker, 2, 0, reinterpret_cast<LPARAM>(text.c_str())), 0);
        QCOMPARE(BrowseCallbackProc(&picker, BFFM_INITIALIZED, 0,
                                    reinterpret_cast<LPARAM>(missing.c_str())),
                 0);
        QCOMPARE(BrowseCallbackProc(&picker, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>("")), 0);
        QCOMPARE(picker.directory().absolutePath(), QDir::rootPath());
    }

    void qtPickerShowsTitlePreselectsAndReturnsTheChoice() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string text = folder.path().toStdString();
        QString title;
        QString shownFolder;
        QWidget* parent = reinterpret_cast<QWidget*>(1);
        Qt::WindowModality modality = Qt::ApplicationModal;
        WhenModalShown<QFileDialog>([&](QFileDialog* picker) {
            title = picker->windowTitle();
            shownFolder = picker->directory().absolutePath();
            parent = picker->parentWidget();
            modality = picker->windowModality();
            static_cast<QDialog*>(picker)->accept();  // the "Choose" button
        });
        std::array<char, MAX_PATH> path{};
        QCOMPARE(BrowseForFolderPath(nullptr, text.c_str(), path.data(), MAX_PATH), 1);
        QCOMPARE(title, QStringLiteral("ﾌｫﾙﾀﾞを選択して下さい"));
        QCOMPARE(shownFolder, QDir(folder.path()).absolutePath());
        QVERIFY(parent == nullptr);
        // Window-modal without an owner: the main dialog stays usable.
        QCOMPARE(modality, Qt::WindowModal);
        QCOMPARE(QDir(QString::fromStdString(path.data())).absolutePath(), shownFolder);
    }

    void qtPickerCancelledGivesTwo() {
        WhenModalShown<QFileDialog>([](QFileDialog* picker) { picker->reject(); });
        std::array<char, MAX_PATH> path{};
        QCOMPARE(BrowseForFolderPath(nullptr, "/", path.data(), MAX_PATH), 2);
        QCOMPARE(path[0], '\0');
    }

    void browseWritesTheChosenPathIntoTheFolderEdit() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        FakePicker fake;
        fake.chosen = QStringLiteral("/srv/data");
        dlg.SetFolderPicker(fake.Picker());
        SetFolderText(dlg, QStringLiteral("/start here"));
        PressBrowse(dlg);
        QCOMPARE(fake.data, std::string("/start here"));
        QCOMPARE(FolderText(dlg), QStringLiteral("/srv/data"));
    }

    void browseCancelledLeavesTheFolderEdit() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        FakePicker fake;
        dlg.SetFolderPicker(fake.Picker());
        SetFolderText(dlg, QStringLiteral("no such folder"));
        PressBrowse(dlg);
        QCOMPARE(fake.calls, 1);
        QCOMPARE(FolderText(dlg), QStringLiteral("no such folder"));
    }

    void browseWithA260BytePathLeavesTheFolderEdit() {
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        FakePicker fake;
        fake.chosen = PathOfBytes(260);
        dlg.SetFolderPicker(fake.Picker());
        SetFolderText(dlg, QStringLiteral("/before"));
        PressBrowse(dlg);
        QCOMPARE(fake.calls, 1);
        QCOMPARE(FolderText(dlg), QStringLiteral("/before"));

        fake.chosen = PathOfBytes(259);
        PressBrowse(dlg);
        QCOMPARE(FolderText(dlg), *fake.chosen);
    }

    void browseUsesTheFolderTextInTheActiveCodePage() {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        FakePicker fake;
        fake.chosen = QStringLiteral("/データ");
        dlg.SetFolderPicker(fake.Picker());
        SetFolderText(dlg, QStringLiteral("/表"));
        PressBrowse(dlg);
        // 表 is 95 5C in code page 932.
        QCOMPARE(fake.data, std::string("/\x95\x5C"));
        QCOMPARE(FolderText(dlg), QStringLiteral("/データ"));
    }

    void browseThroughQtsPickerPreselectsTheFolderText() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        CTandrelDlg dlg;
        QVERIFY(dlg.Create());
        dlg.show();
        SetFolderText(dlg, folder.path());
        QString shownFolder;
        WhenModalShown<QFileDialog>([&shownFolder](QFileDialog* picker) {
            shownFolder = picker->directory().absolutePath();
            static_cast<QDialog*>(picker)->accept();  // the "Choose" button
        });
        PressBrowse(dlg);
        QCOMPARE(shownFolder, QDir(folder.path()).absolutePath());
        QCOMPARE(QDir(FolderText(dlg)).absolutePath(), shownFolder);
    }
};

QTEST_MAIN(FolderPickerTest)
#include "FolderPickerTest.moc"
