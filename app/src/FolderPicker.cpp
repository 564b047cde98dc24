#include "tandrel/dialog/FolderPicker.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

#include <array>
#include <cstring>
#include <string_view>

#include "morvash/platform/CString.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/dialog/WidgetText.h"

using tandrel::dialog::FromWidgetText;
using tandrel::dialog::ToWidgetText;

namespace {

// The text above the picker ("please select a folder").
constexpr std::string_view kTitle = "ﾌｫﾙﾀﾞを選択して下さい";

// What BFFM_SETSELECTION does: the picker opens at the folder whose path is
// `folderText` and returns it when confirmed at once. A text that names no
// folder, or an empty one, selects nothing.
void SelectFolder(QFileDialog* picker, const char* folderText) {
    const QString path = ToWidgetText(folderText);
    const QFileInfo folder(path);
    if (path.isEmpty() || !folder.isDir()) {
        return;
    }
    picker->setDirectory(folder.absoluteFilePath());
}

// The path query: writes the chosen folder's path in the active code page,
// with its terminating zero, into `buffer` when it fits (at most 259 bytes).
// A longer path fails the query and leaves the buffer as it was.
bool GetPathFromPicker(const QString& chosen, std::array<char, MAX_PATH>& buffer) {
    const CString path = FromWidgetText(chosen);
    const auto length = static_cast<std::size_t>(path.GetLength());
    if (length >= buffer.size()) {
        return false;
    }
    std::memcpy(buffer.data(), static_cast<const char*>(path), length + 1);
    return true;
}

// The picker's list with its dates in the widgets' locale: Qt's file model
// writes them in the locale of the environment ("8 Dec 2026 13:55" in the C
// locale), where the program's widgets are Japanese ("2026/12/08 13:55").
class LocalDates : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        constexpr int kDateColumn = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || index.column() != kDateColumn || files == nullptr) {
            return QIdentityProxyModel::data(index, role);
        }
        return QLocale().toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
    }
};

}  // namespace

std::optional<QString> ShowFolderPicker(const BROWSEINFO& bi) {
    QFileDialog picker(bi.hwndOwner, ToWidgetText(bi.lpszTitle != nullptr ? bi.lpszTitle : ""));
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    picker.setProxyModel(new LocalDates(&picker));
    // Blocks its owner only; without one the main dialog stays usable.
    picker.setWindowModality(Qt::WindowModal);
    if (bi.lpfn != nullptr) {
        bi.lpfn(&picker, BFFM_INITIALIZED, 0, bi.lParam);
    }
    if (picker.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = picker.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

int BrowseForFolderPath(QWidget* hwndOwner, const char* initialFolder, char* path,
                        unsigned int size, const FolderPicker& picker) {
    const CString title(platform::FromUtf8(kTitle));
    BROWSEINFO bi;
    bi.hwndOwner = hwndOwner;
    bi.lpszTitle = title;
    bi.ulFlags = 0;
    bi.lpfn = BrowseCallbackProc;
    bi.lParam = reinterpret_cast<LPARAM>(initialFolder);

    const std::optional<QString> chosen = picker(bi);
    if (!chosen) {
        return 2;
    }
    std::array<char, MAX_PATH> buffer{};
    // Only a path the query delivered is copied: a path of 260 bytes or more
    // leaves the caller's buffer untouched.
    if (GetPathFromPicker(*chosen, buffer)) {
        const std::size_t length = std::strlen(buffer.data());
        if (length < size) {
            std::memcpy(path, buffer.data(), length + 1);
        }
    }
    return 1;
}

int BrowseCallbackProc(QFileDialog* hwnd, UINT uMsg, LPARAM /*lParam*/, LPARAM lpData) {
    if (uMsg == BFFM_INITIALIZED && lpData != 0) {
        SelectFolder(hwnd, reinterpret_cast<const char*>(lpData));
    }
    return 0;
}
