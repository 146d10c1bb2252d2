#include "cancelsignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signalled = 0;

void noteSignal(int)
{
    g_signalled = 1;
}

} // namespace

void catchCancelSignals()
{
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // The first one asks, the second ends the program. Interrupted system
    // calls start again: the library waits in poll() and retries those.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool cancelSignalled()
{
    return g_signalled != 0;
}
