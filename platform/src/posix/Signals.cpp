#include "morvash/platform/Signals.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>

#include "SignalCleanup.h"

namespace platform {
namespace {

// The signals whose default action ends the process and that a handler may catch.
constexpr std::array kEnding = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGALRM, SIGUSR1,
                                SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

// A lock-free pointer, so that the handler may read it.
std::atomic<const char*> gWatched{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

void RemoveWatched(int signal) {
    if (const char* path = gWatched.exchange(nullptr)) {
        ::unlink(path);
    }
    // Ends the process as the signal would have: its status tells the parent
    // which signal it was.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    ::sigemptyset(&defaults.sa_mask);
    ::sigaction(signal, &defaults, nullptr);
    ::raise(signal);
}

void InstallHandlers() noexcept {
    for (const int signal : kEnding) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction handler {};
        handler.sa_handler = RemoveWatched;
        ::sigfillset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
}

}  // namespace

void IgnoreBrokenPipe() noexcept {
    ::signal(SIGPIPE, SIG_IGN);
}

namespace detail {

void RemoveOnSignal(const char* path) noexcept {
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);
    gWatched.store(path);
}

void ForgetOnSignal() noexcept {
    gWatched.store(nullptr);
}

SignalsHeld::SignalsHeld() noexcept {
    sigset_t held;
    ::sigemptyset(&held);
    for (const int signal : kEnding) {
        ::sigaddset(&held, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

SignalsHeld::~SignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace detail
}  // namespace platform
