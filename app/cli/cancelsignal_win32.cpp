#include "cancelsignal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> g_signalled{false};

// Runs on a thread of its own. FALSE hands a second one to the system's
// handler, which ends the program.
BOOL WINAPI noteSignal(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    return g_signalled.exchange(true) ? FALSE : TRUE;
}

} // namespace

void catchCancelSignals()
{
    SetConsoleCtrlHandler(noteSignal, TRUE);
}

bool cancelSignalled()
{
    return g_signalled.load();
}
