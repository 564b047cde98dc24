#pragma once

// Removing a half-written temporary file when a signal ends the process.
// One path at a time is watched; the handlers are installed with the first
// one, for the signals that end a process by default and are not ignored
// (a process started under nohup keeps ignoring SIGHUP). A handler removes
// the watched file, then ends the process as the signal would have.

#include <signal.h>

namespace platform::detail {

/// Watches `path` (which must stay valid until ForgetOnSignal): a signal that
/// ends the process removes it first.
void RemoveOnSignal(const char* path) noexcept;

/// Stops watching the path given last.
void ForgetOnSignal() noexcept;

/// Blocks the watched signals on this thread while it lives, so that a file
/// made and watched inside its scope is never left behind between the two.
class SignalsHeld {
  public:
    SignalsHeld() noexcept;
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t saved_;
};

}  // namespace platform::detail
