#include "tandrel/dialog/TandrelDlg.h"

#include <QPushButton>

#include <array>
#include <memory>

#include "morvash/SerchFiles.h"
#include "tandrel/dialog/AboutDlg.h"
#include "tandrel/dialog/DataExchange.h"
#include "tandrel/dialog/MessageBox.h"
#include "tandrel/dialog/Resources.h"
#include "tandrel/dialog/WaitCursor.h"
#include "tandrel/render/PrefetchLookup.h"
#include "tandrel/render/TreeText.h"

namespace {

// The folder the dialog opens with: the root of the file system.
constexpr const char* kOpeningFolder = "/";

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

    if (QMenu* pSysMenu = GetSystemMenu(); pSysMenu != nullptr) {
        const CString strAboutMenu = tandrel::dialog::LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            AppendMenu(pSysMenu, MF_SEPARATOR);
            AppendMenu(pSysMenu, MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetDlgItemText(IDC_FOLDER, kOpeningFolder);

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

tandrel::TreeOptions CTandrelDlg::TreeOptionsFromFlags() const {
    return tandrel::TreeOptions{
        .fileName = m_bFileName != FALSE,
        .extension = m_bExtension != FALSE,
        .size = m_bSize != FALSE,
        .timestamp = m_bTimestamp != FALSE,
        .noTreeLines = m_bNoTreeLines != FALSE,
    };
}

void CTandrelDlg::OnExpand() {
    tandrel::dialog::WaitCursor wait;

    UpdateData(TRUE);
    if (!m_bFileName) {
        m_bExtension = FALSE;
    }
    UpdateData(FALSE);

    const CString extensions = GetDlgItemText(IDC_EXTENSIONS);
    const CString folder = GetDlgItemText(IDC_FOLDER);
    const tandrel::RootFolder root = tandrel::PrepareRootFolder(folder, m_bRootFullPath);

    auto engine = std::make_unique<CSerchFiles>(root.enginePath, extensions,
                                                m_bNoSubfolders ? 0U : MAX_SEARCH_DEPTH);
    const tandrel::TreeOptions options = TreeOptionsFromFlags();
    tandrel::BuildResult result = tandrel::BuildResult::Complete;
    {
        // Worker threads look the files up ahead of the renderer; they end
        // before the engine does.
        const auto prefetch = tandrel::PrefetchFileInfo(*engine, options.fileName);
        result = tandrel::BuildTreeText(
            root.rootLabel, *engine->gFc_GetListFiles(), engine->gFc_GetNumOfDir(),
            engine->gFc_GetNumOfFile(), [&prefetch](int index) { return (*prefetch)(index); },
            options, m_strOutput);
    }

    if (result == tandrel::BuildResult::Complete) {
        SetDlgItemText(IDC_OUTPUT, m_strOutput);
        engine.reset();
        return;
    }
    wait.End();
    AfxMessageBox(tandrel::DepthErrorMessage(), MB_ICONHAND);
    engine.reset();
}
