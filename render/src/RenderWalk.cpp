#include "tandrel/render/RenderWalk.h"

#include <string>
#include <string_view>
#include <vector>

#include "EntryColumns.h"
#include "FixedTexts.h"
#include "TreeLines.h"
#include "morvash/ListingLine.h"
#include "morvash/platform/FileFind.h"
#include "tandrel/render/Colors.h"

namespace tandrel {
namespace {

constexpr std::string_view kArrow = " -> ";
constexpr std::string_view kDangling = " (dangling)";
// Lines rendered between two looks at the stop request.
constexpr unsigned int kStopCheckLines = 1024;

// The entries of RenderWalk, from what the walk read.
class WalkSource {
  public:
    WalkSource(CSerchFiles& engine, const RenderOptions& options, const RenderControl& control,
               std::vector<std::uint64_t> folderTotals)
        : engine_(engine),
          options_(options),
          control_(control),
          totals_(std::move(folderTotals)),
          missing_(detail::ActiveFixedTexts().missing),
          columns_{.size = options.tree.size || options.folderSizes,
                   .units = options.sizeUnits,
                   .time = options.tree.timestamp,
                   .timeStyle = options.time},
          fileBound_(detail::FileColumnsBound(columns_, missing_)),
          colourBound_(options.colors != nullptr
                           ? options.colors->Longest() + options.colors->End().size()
                           : 0) {}

    std::size_t extra(int index, bool directory) const {
        if (directory) {
            return colourBound_ + (options_.folderSizes ? fileBound_ : 0);
        }
        std::size_t bound = colourBound_ + fileBound_;
        if (const morvash::LinkTarget* target = linkTarget(index)) {
            bound += kArrow.size() + target->text.size() + colourBound_ + kDangling.size();
        }
        return bound;
    }

    bool entry(std::string& line, int index, const morvash::ListingLine& read) {
        if (control_.stop != nullptr && lines_++ % kStopCheckLines == 0 &&
            control_.stop->StopRequested()) {
            return false;
        }
        const NameColors* colors = options_.colors;
        if (read.directory) {
            const morvash::EntryDetails* details = colors ? engine_.Details(index) : nullptr;
            const std::string_view begin =
                colors ? colors->Begin(morvash::EntryType::Directory, details ? details->mode : 0,
                                       0, read.name)
                       : std::string_view();
            line += begin;
            line += morvash::kDirectoryMarker;
            line += read.name;
            endColour(line, begin);
            if (options_.folderSizes) {
                line += '\t';
                detail::AppendSize(line, totals_[static_cast<std::size_t>(index)],
                                   options_.sizeUnits);
            }
            return true;
        }
        if (control_.files != nullptr) {
            control_.files->fetch_add(1, std::memory_order_relaxed);
        }
        const detail::FileFacts facts = detail::FactsOf(engine_, index);
        const morvash::LinkTarget* target = linkTarget(index);
        const bool dangling = target != nullptr && target->dangling;
        const std::string_view begin =
            colors ? colors->Begin(engine_.GetEntryType(index), facts.mode, facts.links, read.name,
                                   dangling, target != nullptr ? target->mode : 0)
                   : std::string_view();
        line += begin;
        // Without extensions a file shows its title, which a file not found
        // has none of.
        line += options_.tree.extension ? read.name
                : facts.found           ? platform::FileTitle(read.name)
                                        : std::string_view();
        endColour(line, begin);
        if (target != nullptr && options_.linkTargets) {
            line += kArrow;
            const std::string_view targetBegin =
                colors ? colors->BeginTarget(target->text, dangling, target->mode)
                       : std::string_view();
            line += targetBegin;
            line += ShownText(target->text);
            endColour(line, targetBegin);
            if (dangling) {
                line += kDangling;
            }
        }
        detail::AppendFileColumns(line, facts, columns_, missing_);
        return true;
    }

  private:
    const morvash::LinkTarget* linkTarget(int index) const {
        const bool wanted = options_.linkTargets || options_.colors != nullptr;
        return wanted && engine_.GetEntryType(index) == morvash::EntryType::Link
                   ? engine_.GetLinkTarget(index)
                   : nullptr;
    }

    void endColour(std::string& line, std::string_view begin) const {
        if (!begin.empty()) {
            line += options_.colors->End();
        }
    }

    CSerchFiles& engine_;
    const RenderOptions& options_;
    const RenderControl& control_;
    const std::vector<std::uint64_t> totals_;
    const std::string_view missing_;
    const detail::FileColumns columns_;
    const std::size_t fileBound_;
    const std::size_t colourBound_;
    unsigned int lines_ = 0;
};

}  // namespace

void AskWalkFor(const RenderOptions& options, morvash::WalkOptions& walk) {
    walk.details = options.tree.fileName || options.folderSizes || options.colors != nullptr;
    // Without sizes, times or colours the files' lines need only the
    // missing-file marker's answer, which one lookup per folder gives.
    walk.presenceOnly = !options.tree.size && !options.tree.timestamp && !options.folderSizes &&
                        options.colors == nullptr;
    walk.folderDetails = options.colors != nullptr;
    walk.linkTargets = options.linkTargets || options.colors != nullptr;
}

BuildResult RenderWalk(CSerchFiles& engine, const CString& rootLabel, const RenderOptions& options,
                       CString& output, const RenderControl& control) {
    WalkSource source(
        engine, options, control,
        options.folderSizes ? detail::FolderTotals(engine) : std::vector<std::uint64_t>());
    const bool columns = options.folderSizes ||
                         (options.tree.fileName && (options.tree.size || options.tree.timestamp));
    const BuildResult result =
        detail::RenderLines(rootLabel, *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
                            engine.gFc_GetNumOfFile(), options.tree, columns, source, output);
    if (result == BuildResult::Stopped) {
        output.Empty();
    }
    return result;
}

}  // namespace tandrel
