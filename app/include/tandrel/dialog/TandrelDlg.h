#pragma once

// CTandrelDlg: the main dialog of Tandrel (template IDD_MAIN). The user types
// or picks a folder, may list extensions, ticks the details to show and
// presses "展開"; OnExpand has the engine walk the folder and the renderer
// draw it into the output box. "参照" runs the folder picker (OnBrowse). The
// context menu of the background stands in for the window menu and offers
// "詳細設定(&D)..." and "ﾊﾞｰｼﾞｮﾝ情報(&A)...", which opens the About box.
//
// "詳細(&D)..." opens the settings dialog (CSettingsDlg), whose settings every
// later press applies; while one differs from its default the button reads
// "詳細(&D)*...". A folder dropped on the window goes into the folder box.
//
// A press works on a thread of its own (Press) while the window keeps
// answering; OnExpand returns when it is over. 展開 is disabled meanwhile;
// after half a second a small window shows its progress with "中止", which,
// like Esc or the close button, stops the press: the output box keeps its
// text and the dialog stays open.
//
// On Linux the window manager paints a minimised window's icon, so the
// dialog sets its window icon and has no paint or drag-icon handlers.

#include <QIcon>
#include <QString>

#include <memory>
#include <optional>

#include "morvash/platform/CString.h"
#include "morvash/platform/WinTypes.h"
#include "tandrel/dialog/Dialog.h"
#include "tandrel/dialog/FolderPicker.h"
#include "tandrel/dialog/MoreSettings.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/Press.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/render/TreeText.h"

class QEventLoop;

class CTandrelDlg : public CDialog {
    Q_OBJECT

  public:
    /// Zeroes the flags and loads the icon IDR_MAINFRAME.
    explicit CTandrelDlg(QWidget* pParent = nullptr);
    /// Stops a press still running and waits for its thread.
    ~CTandrelDlg() override;

    enum { IDD = IDD_MAIN };

    BOOL m_bExtension;     ///< show file extensions (check box 1007)
    BOOL m_bFileName;      ///< show files, not only directories (1006)
    BOOL m_bTimestamp;     ///< add the last-write time column (1008)
    BOOL m_bSize;          ///< add the size column (1009)
    BOOL m_bNoTreeLines;   ///< draw no connector lines (1012)
    BOOL m_bRootFullPath;  ///< first line is the folder path as typed (1011)
    BOOL m_bNoSubfolders;  ///< do not descend into subfolders (1010)
    CString m_strOutput;   ///< the text the last press built
    /// The settings dialog's choices, applied by every press.
    tandrel::dialog::MoreSettings m_settings;

    /// Replaces the folder picker that OnBrowse runs (tests inject their own).
    void SetFolderPicker(FolderPicker picker) { m_folderPicker = std::move(picker); }
    /// Sets the folder the dialog opens with, instead of the root (before Create).
    void SetOpeningFolder(const CString& folder) { m_strOpeningFolder = folder; }

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    /// Enter with no button to press: ends the dialog, but is ignored during a press.
    void OnOK() override;
    /// Esc or the close button: ends the dialog, or during a press stops it.
    void OnCancel() override;

    /// "参照": lets the user pick the folder; a chosen path replaces the folder text.
    void OnBrowse();
    /// "展開": walks the folder and shows its tree, or reports the depth error.
    void OnExpand();
    /// "詳細": lets the user change the settings; OK keeps them.
    void OnSettings();

    QIcon m_hIcon;

  private:
    // The rendering choices of the check boxes' flags and the settings.
    tandrel::TreeOptions TreeOptionsFromFlags() const;
    // Marks the settings button while a setting differs from its default.
    void ShowSettingsMark();
    // Runs a press while the window keeps answering; nothing when it was stopped.
    std::optional<tandrel::dialog::PressOutcome> RunPress(
        tandrel::dialog::PressRequest request, tandrel::dialog::OutputEdit::Loader shown);
    // Stops the running press at once; its thread ends on its own.
    void StopPress();

    FolderPicker m_folderPicker = ShowFolderPicker;
    CString m_strOpeningFolder;
    // The settings button's text without the mark.
    QString settingsText_;
    // The last press: running, or ended and perhaps still freeing its listing.
    std::unique_ptr<tandrel::dialog::Press> press_;
    // The loop that waits for the running press (null between presses).
    QEventLoop* pressLoop_ = nullptr;
    bool pressStopped_ = false;
};
