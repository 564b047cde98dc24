#include "tandrel/dialog/TandrelDlg.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <chrono>
#include <memory>
#include <utility>

#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/AboutDlg.h"
#include "tandrel/dialog/DataExchange.h"
#include "tandrel/dialog/FolderDrop.h"
#include "tandrel/dialog/MessageBox.h"
#include "tandrel/dialog/PressProgress.h"
#include "tandrel/dialog/Resources.h"
#include "tandrel/dialog/SettingsDlg.h"
#include "tandrel/dialog/WaitCursor.h"
#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/TreeText.h"

using tandrel::dialog::OutputEdit;
using tandrel::dialog::Press;
using tandrel::dialog::PressOutcome;
using tandrel::dialog::PressProgress;
using tandrel::dialog::PressRequest;

namespace {

// The folder the dialog opens with unless told another: the root of the file system.
constexpr const char* kOpeningFolder = "/";

// The window menu's entry for the settings, and what marks the settings
// button (before its "...") while a setting differs from its default.
constexpr const char* kSettingsMenu = "詳細設定(&D)...";
constexpr QChar kSettingsMark = QLatin1Char('*');

// A press shows its progress window once it has lasted this long, and then
// updates the count this often.
constexpr std::chrono::milliseconds kProgressDelay{500};
constexpr std::chrono::milliseconds kProgressInterval{250};

}  // namespace

CTandrelDlg::CTandrelDlg(QWidget* pParent)
    : CDialog(IDD, pParent),
      m_bExtension(FALSE),
      m_bFileName(FALSE),
      m_bTimestamp(FALSE),
      m_bSize(FALSE),
      m_bNoTreeLines(FALSE),
      m_bRootFullPath(FALSE),
      m_bNoSubfolders(FALSE),
      m_hIcon(tandrel::dialog::LoadIcon(IDR_MAINFRAME)) {}

CTandrelDlg::~CTandrelDlg() = default;

void CTandrelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_EXTENSION, m_bExtension);
    DDX_Check(pDX, IDC_FILENAME, m_bFileName);
    DDX_Check(pDX, IDC_TIMESTAMP, m_bTimestamp);
    DDX_Check(pDX, IDC_SIZE, m_bSize);
    DDX_Check(pDX, IDC_NO_TREELINES, m_bNoTreeLines);
    DDX_Check(pDX, IDC_ROOT_FULLPATH, m_bRootFullPath);
    DDX_Check(pDX, IDC_NO_SUBFOLDERS, m_bNoSubfolders);
}

BOOL CTandrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // The message map: the two buttons.
    if (auto* browse = qobject_cast<QPushButton*>(GetDlgItem(IDC_BROWSE))) {
        connect(browse, &QPushButton::clicked, this, &CTandrelDlg::OnBrowse);
    }
    if (auto* expand = qobject_cast<QPushButton*>(GetDlgItem(IDC_EXPAND))) {
        connect(expand, &QPushButton::clicked, this, &CTandrelDlg::OnExpand);
    }
    if (auto* settings = qobject_cast<QPushButton*>(GetDlgItem(IDC_SETTINGS))) {
        connect(settings, &QPushButton::clicked, this, &CTandrelDlg::OnSettings);
        settingsText_ = settings->text();
    }
    tandrel::dialog::AcceptFolderDrops(this, [this](const QString& path) {
        SetDlgItemText(IDC_FOLDER, tandrel::dialog::FromWidgetText(path));
    });

    if (QMenu* pSysMenu = GetSystemMenu(); pSysMenu != nullptr) {
        AppendMenu(pSysMenu, MF_STRING, IDM_SETTINGS, CString(platform::FromUtf8(kSettingsMenu)));
        const CString strAboutMenu = tandrel::dialog::LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            AppendMenu(pSysMenu, MF_SEPARATOR);
            AppendMenu(pSysMenu, MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetDlgItemText(IDC_FOLDER,
                   m_strOpeningFolder.IsEmpty() ? CString(kOpeningFolder) : m_strOpeningFolder);

    m_bFileName = TRUE;
    m_bExtension = TRUE;
    m_bTimestamp = FALSE;
    m_bSize = FALSE;
    UpdateData(FALSE);

    return TRUE;
}

void CTandrelDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == IDM_SETTINGS) {
        OnSettings();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CTandrelDlg::OnBrowse() {
    const CString folder = GetDlgItemText(IDC_FOLDER);
    // Zeroed: when the picker delivers no path the buffer holds an empty one,
    // and the folder text stays as it is.
    std::array<char, MAX_PATH> path{};
    const int result = BrowseForFolderPath(nullptr, folder, path.data(), MAX_PATH, m_folderPicker);
    if (result == 1 && path[0] != '\0') {
        SetDlgItemText(IDC_FOLDER, path.data());
    }
}

void CTandrelDlg::OnSettings() {
    if (pressLoop_ != nullptr) {
        return;
    }
    CSettingsDlg dlg(m_settings, this);
    if (dlg.DoModal() == IDOK) {
        m_settings = dlg.Settings();
        ShowSettingsMark();
    }
}

void CTandrelDlg::ShowSettingsMark() {
    auto* button = qobject_cast<QPushButton*>(GetDlgItem(IDC_SETTINGS));
    if (button == nullptr) {
        return;
    }
    QString text = settingsText_;
    if (!m_settings.IsDefault()) {
        const qsizetype dots = text.lastIndexOf(QStringLiteral("..."));
        text.insert(dots < 0 ? text.size() : dots, kSettingsMark);
    }
    button->setText(text);
}

tandrel::TreeOptions CTandrelDlg::TreeOptionsFromFlags() const {
    tandrel::TreeOptions options{
        .fileName = m_bFileName != FALSE,
        .extension = m_bExtension != FALSE,
        .size = m_bSize != FALSE,
        .timestamp = m_bTimestamp != FALSE,
        .noTreeLines = m_bNoTreeLines != FALSE,
    };
    m_settings.ApplyTo(options);
    return options;
}

void CTandrelDlg::OnOK() {
    if (pressLoop_ == nullptr) {
        CDialog::OnOK();
    }
}

void CTandrelDlg::OnCancel() {
    if (pressLoop_ != nullptr) {
        StopPress();
    } else {
        CDialog::OnCancel();
    }
}

void CTandrelDlg::OnExpand() {
    auto* output = qobject_cast<OutputEdit*>(GetDlgItem(IDC_OUTPUT));
    if (pressLoop_ != nullptr || output == nullptr) {
        return;
    }
    tandrel::dialog::WaitCursor wait;

    UpdateData(TRUE);
    if (!m_bFileName) {
        m_bExtension = FALSE;
    }
    UpdateData(FALSE);

    const CString extensions = GetDlgItemText(IDC_EXTENSIONS);
    const CString folder = GetDlgItemText(IDC_FOLDER);
    tandrel::RootFolder root = tandrel::PrepareRootFolder(folder, m_bRootFullPath);

    morvash::WalkOptions walk;
    walk.maxDepth = m_bNoSubfolders ? 0U : MAX_SEARCH_DEPTH;
    m_settings.ApplyTo(walk);
    std::optional<PressOutcome> outcome = RunPress(
        PressRequest{
            .enginePath = std::move(root.enginePath),
            .rootLabel = std::move(root.rootLabel),
            .extensions = extensions,
            .walk = std::move(walk),
            .options = TreeOptionsFromFlags(),
        },
        output->NewLoader());
    if (!outcome) {
        return;
    }
    m_strOutput = std::move(outcome->text);
    if (outcome->result == tandrel::BuildResult::Complete) {
        output->Show(std::move(outcome->shown));
        return;
    }
    wait.End();
    AfxMessageBox(tandrel::DepthErrorMessage(), MB_ICONHAND);
}

std::optional<PressOutcome> CTandrelDlg::RunPress(PressRequest request, OutputEdit::Loader shown) {
    // A stopped press may still be ending; it goes before the next one starts.
    press_.reset();
    QEventLoop loop;
    pressLoop_ = &loop;
    pressStopped_ = false;
    press_ = std::make_unique<Press>(std::move(request), std::move(shown), [this] {
        // On the press's thread: the window's thread ends the wait.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (pressLoop_ != nullptr && press_ != nullptr && press_->Done()) {
                    pressLoop_->quit();
                }
            },
            Qt::QueuedConnection);
    });

    QWidget* expand = GetDlgItem(IDC_EXPAND);
    const bool expandFocused = expand->hasFocus();
    expand->setEnabled(false);
    // The settings wait for the press: they apply to the next one.
    QWidget* settings = GetDlgItem(IDC_SETTINGS);
    settings->setEnabled(false);
    PressProgress progress(this);
    connect(&progress, &PressProgress::stopRequested, this, &CTandrelDlg::StopPress);
    QTimer showProgress;
    showProgress.setSingleShot(true);
    connect(&showProgress, &QTimer::timeout, this,
            [this, &progress] { progress.Show(press_->Progress()); });
    QTimer updateProgress;
    connect(&updateProgress, &QTimer::timeout, this,
            [this, &progress] { progress.SetCount(press_->Progress()); });
    showProgress.start(kProgressDelay);
    updateProgress.start(kProgressInterval);

    loop.exec();

    pressLoop_ = nullptr;
    expand->setEnabled(true);
    settings->setEnabled(true);
    // Disabling 展開 moved its focus on; it comes back as after any button.
    if (expandFocused) {
        expand->setFocus(Qt::OtherFocusReason);
    }
    if (pressStopped_) {
        return std::nullopt;
    }
    return press_->TakeOutcome();
}

void CTandrelDlg::StopPress() {
    if (pressLoop_ == nullptr) {
        return;
    }
    press_->Stop();
    pressStopped_ = true;
    pressLoop_->quit();
}
