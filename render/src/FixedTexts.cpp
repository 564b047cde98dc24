#include "FixedTexts.h"

#include <array>
#include <mutex>

#include "morvash/platform/CodePage.h"

namespace tandrel::detail {
namespace {

// The summary line is "ﾃﾞｨﾚｸﾄﾘ数:%d, ﾌｧｲﾙ数:%d"; it is kept as its two text
// pieces so that the counts can be written as unsigned decimals without a
// format string in a code page other than the compiler's.
constexpr const char* kTee = "├ ";
constexpr const char* kCorner = "└ ";
constexpr const char* kBar = "│ ";
constexpr const char* kBlank = "　 ";
constexpr const char* kMissing = "･･･ﾌｧｲﾙが無い！";
constexpr const char* kSummaryDirs = "ﾃﾞｨﾚｸﾄﾘ数:";
constexpr const char* kSummaryFiles = ", ﾌｧｲﾙ数:";
constexpr const char* kDepthError =
    "ディレクトリ階層が検索可能な深さよりも深くなりました。\n検索を中止します。";

FixedTexts Convert() {
    return FixedTexts{
        platform::FromUtf8(kTee),          platform::FromUtf8(kCorner),
        platform::FromUtf8(kBar),          platform::FromUtf8(kBlank),
        platform::FromUtf8(kMissing),      platform::FromUtf8(kSummaryDirs),
        platform::FromUtf8(kSummaryFiles), platform::FromUtf8(kDepthError),
    };
}

}  // namespace

const FixedTexts& ActiveFixedTexts() {
    static std::array<std::once_flag, 2> converted;
    static std::array<FixedTexts, 2> cache;
    const std::size_t slot = platform::ActiveCodePage() == platform::CodePage::Cp932 ? 1 : 0;
    std::call_once(converted[slot], [slot] { cache[slot] = Convert(); });
    return cache[slot];
}

}  // namespace tandrel::detail
