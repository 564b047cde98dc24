#pragma once

// Press: the work of one press of "展開", on a thread of its own so that the
// window keeps answering. The engine walks the folder, reading each file's
// details as it reads the file's folder, the renderer draws the tree text,
// and a complete text is loaded for the output box:
//
//     Press press(request, edit->NewLoader(), notify);  // starts the thread
//     press.Progress();           // any time: entries walked, then files looked up
//     press.Stop();               // any time: the walk and the lookups end early
//     ... notify() runs on the press's thread once Done() tells true ...
//     PressOutcome outcome = press.TakeOutcome();
//     edit->Show(std::move(outcome.shown));
//
// The window's thread makes, polls, stops and ends the press; only the press's
// thread touches the engine.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

#include "morvash/SerchFiles.h"
#include "morvash/WalkOptions.h"
#include "morvash/platform/CString.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::dialog {

/// What a press works on: the dialog's texts, check boxes and settings at the press.
struct PressRequest {
    CString enginePath;
    CString rootLabel;
    CString extensions;
    /// How to walk: depth, what is left out, order; the press sets the control.
    morvash::WalkOptions walk;
    TreeOptions options;
};

/// What a press ends with.
struct PressOutcome {
    BuildResult result = BuildResult::Complete;
    CString text;              ///< the tree text; partial after a depth error
    OutputEdit::Loader shown;  ///< the complete text, loaded for the output box
    bool stopped = false;      ///< Stop ended it early: no text
};

class Press {
  public:
    /// Starts the work on a thread of its own; `notify` runs on that thread
    /// once the outcome is ready. `shown` receives a complete text.
    Press(PressRequest request, OutputEdit::Loader shown, std::function<void()> notify);
    /// Stops the work and waits for its thread.
    ~Press();
    Press(const Press&) = delete;
    Press& operator=(const Press&) = delete;

    /// Asks the walk, the lookups and the rendering to end as soon as they can.
    void Stop() noexcept { control_.RequestStop(); }
    /// Tells whether the outcome is ready.
    bool Done() const noexcept { return done_.load(std::memory_order_acquire); }
    /// Returns the entries walked so far, then, once the rendering runs, the
    /// files looked up so far.
    std::uint64_t Progress() const noexcept;
    /// Hands the outcome over once Done() tells true; rethrows what the work threw.
    PressOutcome TakeOutcome();

  private:
    void Run() noexcept;
    void Render(CSerchFiles& engine);

    const PressRequest request_;
    std::function<void()> notify_;
    morvash::WalkControl control_;
    std::atomic<bool> rendering_{false};
    std::atomic<std::uint64_t> lookedUp_{0};
    std::atomic<bool> done_{false};
    PressOutcome outcome_;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace tandrel::dialog
