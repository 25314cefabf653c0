#include "Interruption.h"

#include <cstring>
#include <cwchar>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>

#include <unistd.h>
#endif

namespace {

// The pending path lives in a fixed buffer: a signal handler may not
// allocate. A longer path is never pending, which only means it is not
// removed on an interruption; the tool's own names are short.
constexpr std::size_t PendingCapacity = 4096;

#ifdef _WIN32
wchar_t PendingPath[PendingCapacity];
SRWLOCK PendingLock = SRWLOCK_INIT;

// Runs on a thread of its own while the main thread goes on: the lock keeps
// the main thread from creating or renaming the file meanwhile. The file was
// opened with FILE_SHARE_DELETE, so it goes when the process ends.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    AcquireSRWLockExclusive(&PendingLock);
    if (PendingPath[0] != L'\0') {
        DeleteFileW(PendingPath);
    }
    // Left held: the default handler ends the process next.
    return FALSE;
}
#else
char PendingPath[PendingCapacity];
volatile std::sig_atomic_t HasPendingPath = 0;
constexpr int InterruptingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnInterruption(int signal)
{
    if (HasPendingPath != 0) {
        unlink(PendingPath);
    }
    // Back to the default action; the signal stays blocked until the handler
    // returns, and then ends the process as it normally would.
    std::signal(signal, SIG_DFL);  // NOLINT(cert-err33-c): nothing to do if it fails
    std::raise(signal);            // NOLINT(cert-err33-c)
}

sigset_t InterruptingSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : InterruptingSignals) {
        sigaddset(&set, signal);
    }
    return set;
}
#endif

}  // namespace

#ifdef _WIN32
void InstallInterruptionHandlers()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptionsHeld::InterruptionsHeld()
{
    AcquireSRWLockExclusive(&PendingLock);
}

InterruptionsHeld::~InterruptionsHeld()
{
    ReleaseSRWLockExclusive(&PendingLock);
}

void SetPendingTemporary(const std::filesystem::path& path)
{
    const std::wstring& name = path.native();
    PendingPath[0] = L'\0';
    if (name.size() < PendingCapacity) {
        std::wmemcpy(PendingPath, name.c_str(), name.size() + 1);
    }
}
#else
void InstallInterruptionHandlers()
{
    std::signal(SIGPIPE, SIG_IGN);  // NOLINT(cert-err33-c): nothing to do if it fails
    std::signal(SIGXFSZ, SIG_IGN);  // NOLINT(cert-err33-c)
    struct sigaction action {};
    action.sa_handler = OnInterruption;
    action.sa_mask = InterruptingSet();
    for (const int signal : InterruptingSignals) {
        struct sigaction previous {};
        // A signal ignored by whoever started the tool (nohup) stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

InterruptionsHeld::InterruptionsHeld()
{
    const sigset_t set = InterruptingSet();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

InterruptionsHeld::~InterruptionsHeld()
{
    const sigset_t set = InterruptingSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void SetPendingTemporary(const std::filesystem::path& path)
{
    const std::string& name = path.native();
    HasPendingPath = 0;
    if (!name.empty() && name.size() < PendingCapacity) {
        std::memcpy(PendingPath, name.c_str(), name.size() + 1);
        HasPendingPath = 1;
    }
}
#endif
