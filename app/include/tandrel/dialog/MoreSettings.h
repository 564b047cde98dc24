#pragma once

// MoreSettings: the choices of the dialog "詳細設定", which a press hands to
// the walk (what is left out, how deep it goes, the order) and to the drawing
// (the pieces). They last as long as the program runs and start from their
// defaults, which give the text a press gives without them, in name order,
// as tandrel-cli gives it with no option. Each is a tandrel-cli option:
//
//     除外するパターン                 -I GLOB, once per pattern (blanks or "|" between)
//     .gitignore に従う                --gitignore
//     隠しファイル・フォルダを除く     --no-hidden
//     階層の深さを制限する N           -L N
//     並び順                           --sort=name (名前順), none (ファイルシステムの順),
//                                      size (サイズ順), mtime (更新日時順)
//     逆順, フォルダを先に             -r, --dirs-first
//     罫線 ASCII                       --draw=ascii

#include <string>
#include <string_view>
#include <vector>

#include "morvash/WalkOptions.h"
#include "morvash/platform/CString.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::dialog {

struct MoreSettings {
    CString exclude;  ///< the patterns as typed, in the active code page
    bool gitignore = false;
    bool noHidden = false;
    bool limitDepth = false;
    int depth = 3;  ///< the levels listed when limitDepth: 1 to 32
    morvash::SortKey sort = morvash::SortKey::Name;
    bool reverse = false;
    bool dirsFirst = false;
    DrawStyle draw = DrawStyle::Dialog;

    /// Tells whether every setting acts as its default does (the depth counts
    /// only while it is limited).
    bool IsDefault() const;
    /// Sets what the walk leaves out and its order, and limits its depth to
    /// `depth` levels within what `walk.maxDepth` already allows.
    void ApplyTo(morvash::WalkOptions& walk) const;
    /// Sets the drawing's pieces; with ASCII pieces the size and time columns
    /// are lined up with spaces, as tandrel-cli lines them.
    void ApplyTo(TreeOptions& tree) const;
};

}  // namespace tandrel::dialog
