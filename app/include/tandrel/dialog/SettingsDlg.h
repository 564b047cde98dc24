#pragma once

// CSettingsDlg: the dialog "詳細設定" (template IDD_SETTINGS), opened by the
// main dialog's "詳細(&D)..." button and its window menu. It shows a
// MoreSettings and, ended with OK (or Enter), hands back what its controls
// hold; キャンセル (or Esc) changes nothing. Controls in tab order: the
// patterns to leave out, .gitignore, hidden names, the depth limit with its
// number (enabled while the limit is ticked), the order with 逆順 and
// フォルダを先に, and the drawing's pieces. The focus starts in the patterns.

#include "morvash/platform/CString.h"
#include "morvash/platform/WinTypes.h"
#include "tandrel/dialog/Dialog.h"
#include "tandrel/dialog/MoreSettings.h"
#include "tandrel/dialog/ResourceIds.h"

class CSettingsDlg : public CDialog {
    Q_OBJECT

  public:
    /// Prepares the dialog showing `settings`.
    explicit CSettingsDlg(const tandrel::dialog::MoreSettings& settings,
                          QWidget* pParent = nullptr);

    enum { IDD = IDD_SETTINGS };

    /// Returns the settings as the fields hold them: as given until OK saved the controls.
    tandrel::dialog::MoreSettings Settings() const;

    CString m_strExclude;  ///< the patterns (edit 1100)
    BOOL m_bGitignore;     ///< leave out what git ignores (1101)
    BOOL m_bNoHidden;      ///< leave out names beginning with "." (1102)
    BOOL m_bLimitDepth;    ///< limit the depth (1103)
    int m_nDepth;          ///< to this many levels (1104)
    int m_nSort;           ///< the order's index in the list (1105)
    BOOL m_bReverse;       ///< reverse the order (1106)
    BOOL m_bDirsFirst;     ///< folders first (1107)
    int m_nDraw;           ///< the pieces: 0 the dialog's, 1 ASCII (1108, 1109)

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

  private:
    // Enables the depth's number while its limit is ticked.
    void OnLimitDepth();
};
