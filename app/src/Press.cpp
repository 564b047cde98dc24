#include "tandrel/dialog/Press.h"

#include <memory>
#include <new>
#include <string>
#include <utility>

#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/RenderWalk.h"

namespace tandrel::dialog {

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
        RenderOptions render;
        render.tree = request_.options;
        AskWalkFor(render, walk);
        engine = std::make_unique<CSerchFiles>(request_.enginePath, request_.extensions, walk);
        if (!engine->WalkStopped()) {
            Render(*engine);
        }
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
    RenderOptions options;
    options.tree = request_.options;
    CString text;
    const BuildResult result = RenderWalk(engine, request_.rootLabel, options, text,
                                          {.files = &lookedUp_, .stop = &control_});
    if (result == BuildResult::Stopped) {
        return;
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
