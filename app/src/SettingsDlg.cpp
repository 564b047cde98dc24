#include "tandrel/dialog/SettingsDlg.h"

#include <QCheckBox>

#include <algorithm>
#include <array>
#include <iterator>

#include "tandrel/dialog/DataExchange.h"

using tandrel::DrawStyle;
using tandrel::dialog::MoreSettings;

namespace {

// The orders as the list shows them, and the pieces as the radio buttons do.
constexpr std::array kSortKeys{morvash::SortKey::Name, morvash::SortKey::None,
                               morvash::SortKey::Size, morvash::SortKey::MTime};
constexpr std::array kDrawStyles{DrawStyle::Dialog, DrawStyle::Ascii};

// The position of `value` in `values`; the first when it is not there.
template <class T, std::size_t N>
int IndexOf(const std::array<T, N>& values, T value) {
    const auto found = std::ranges::find(values, value);
    return found == values.end() ? 0 : static_cast<int>(std::distance(values.begin(), found));
}

// The value at `index`, the first for an index out of range.
template <class T, std::size_t N>
T At(const std::array<T, N>& values, int index) {
    return index >= 0 && index < static_cast<int>(N) ? values[index] : values[0];
}

}  // namespace

CSettingsDlg::CSettingsDlg(const MoreSettings& settings, QWidget* pParent)
    : CDialog(IDD, pParent),
      m_strExclude(settings.exclude),
      m_bGitignore(settings.gitignore),
      m_bNoHidden(settings.noHidden),
      m_bLimitDepth(settings.limitDepth),
      m_nDepth(settings.depth),
      m_nSort(IndexOf(kSortKeys, settings.sort)),
      m_bReverse(settings.reverse),
      m_bDirsFirst(settings.dirsFirst),
      m_nDraw(IndexOf(kDrawStyles, settings.draw)) {}

MoreSettings CSettingsDlg::Settings() const {
    return MoreSettings{
        .exclude = m_strExclude,
        .gitignore = m_bGitignore != FALSE,
        .noHidden = m_bNoHidden != FALSE,
        .limitDepth = m_bLimitDepth != FALSE,
        .depth = m_nDepth,
        .sort = At(kSortKeys, m_nSort),
        .reverse = m_bReverse != FALSE,
        .dirsFirst = m_bDirsFirst != FALSE,
        .draw = At(kDrawStyles, m_nDraw),
    };
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EXCLUDE, m_strExclude);
    DDX_Check(pDX, IDC_GITIGNORE, m_bGitignore);
    DDX_Check(pDX, IDC_NO_HIDDEN, m_bNoHidden);
    DDX_Check(pDX, IDC_LIMIT_DEPTH, m_bLimitDepth);
    DDX_Text(pDX, IDC_DEPTH, m_nDepth);
    DDX_CBIndex(pDX, IDC_SORT, m_nSort);
    DDX_Check(pDX, IDC_REVERSE, m_bReverse);
    DDX_Check(pDX, IDC_DIRS_FIRST, m_bDirsFirst);
    DDX_Radio(pDX, IDC_DRAW_DIALOG, m_nDraw);
}

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* limit = qobject_cast<QCheckBox*>(GetDlgItem(IDC_LIMIT_DEPTH))) {
        connect(limit, &QCheckBox::toggled, this, &CSettingsDlg::OnLimitDepth);
    }
    OnLimitDepth();
    return TRUE;
}

void CSettingsDlg::OnLimitDepth() {
    if (auto* limit = qobject_cast<QCheckBox*>(GetDlgItem(IDC_LIMIT_DEPTH))) {
        GetDlgItem(IDC_DEPTH)->setEnabled(limit->isChecked());
    }
}
