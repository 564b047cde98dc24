#include "tandrel/dialog/Press.h"

#include <memory>
#include <new>
#include <string>
#include <utility>

#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/PrefetchLookup.h"

namespace tandrel::dialog {
namespace {

// Thrown from the renderer's lookup when a stop is asked for: it unwinds the
// rendering, whose text is dropped.
struct Stopping {};

}  // namespace

Press::Press(PressRequest request, OutputEdit::Loader shown, std::function<void()> notify)
    : request_(std::move(request)), notify_(std::move(notify)) {
    outcome_.shown = std::move(shown);
    thread_ = std::thread([this] { Run(); });
}

Press::~Press() {
    Stop();
    thread_.join();
}

std::uint64_t Press::Progress() const noexcept {
    return rendering_.load(std::memory_order_relaxed) ? lookedUp_.load(std::memory_order_relaxed)
                                                      : control_.Entries();
}

PressOutcome Press::TakeOutcome() {
    if (error_) {
        std::rethrow_exception(std::exchange(error_, nullptr));
    }
    return std::move(outcome_);
}

void Press::Run() noexcept {
    std::unique_ptr<CSerchFiles> engine;
    try {
        morvash::WalkOptions walk = request_.walk;
        walk.control = &control_;
        engine = std::make_unique<CSerchFiles>(request_.enginePath, request_.extensions, walk);
        if (!engine->WalkStopped()) {
            Render(*engine);
        }
    } catch (const Stopping&) {
    } catch (...) {
        error_ = std::current_exception();
    }
    outcome_.stopped = control_.StopRequested();
    done_.store(true, std::memory_order_release);
    notify_();
    // `engine` ends here, on this thread: the listing is freed while the
    // window already shows the text.
}

void Press::Render(CSerchFiles& engine) {
    rendering_.store(true, std::memory_order_relaxed);
    const TreeOptions& options = request_.options;
    CString text;
    BuildResult result = BuildResult::Complete;
    {
        // Worker threads look the files up ahead of the renderer; they end
        // before the engine does.
        const auto prefetch = PrefetchFileInfo(engine, options.fileName);
        result = BuildTreeText(
            request_.rootLabel, *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
            engine.gFc_GetNumOfFile(),
            [this, &prefetch](int index) {
                if (control_.StopRequested()) {
                    throw Stopping{};
                }
                lookedUp_.fetch_add(1, std::memory_order_relaxed);
                return (*prefetch)(index);
            },
            options, text);
    }
    if (result == BuildResult::Complete && !control_.StopRequested()) {
        std::string storage;
        if (!outcome_.shown.Load(ToWidgetUtf8(text.view(), storage))) {
            throw std::bad_alloc();
        }
    }
    outcome_.result = result;
    outcome_.text = std::move(text);
}

}  // namespace tandrel::dialog
