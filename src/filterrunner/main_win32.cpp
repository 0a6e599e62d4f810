#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>

#include "filterproc/handle_channel_win32.h"
#include "filterproc/runner_session.h"
#include "filterrunner/host_executor.h"

namespace {

// A module that faults ends the runner at once, without Wine's crash dialog
// or debugger; the editor sees the end of the stream and reports it.
LONG WINAPI endOnFault(EXCEPTION_POINTERS* info) {
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

// mugwarp-filter-runner.exe (64-bit) and mugwarp-filter-runner32.exe (32-bit):
// run Windows filter modules of their own bitness under Wine for the editor,
// speaking the runner protocol on their standard input and output.
int main() {
    using namespace mugwarp;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endOnFault);
    // The protocol keeps its own handles to the pipes; what a module prints
    // goes to standard error, never into the protocol.
    HANDLE in = nullptr, out = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, GetStdHandle(STD_INPUT_HANDLE), self, &in, 0, FALSE, DUPLICATE_SAME_ACCESS) ||
        !DuplicateHandle(self, GetStdHandle(STD_OUTPUT_HANDLE), self, &out, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return 3;
    SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
    SetStdHandle(STD_INPUT_HANDLE, nullptr);
    _dup2(_fileno(stderr), _fileno(stdout));
    try {
        filterproc::HandleChannel channel(in, out);
        auto executor = filterrunner::makeHostExecutor();
        filterproc::RunnerSession session(channel, *executor, filterproc::openMappedFile);
        session.serve(sizeof(void*) == 8 ? "windows-x64" : "windows-x86");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mugwarp-filter-runner: %s\n", e.what());
        return 1;
    }
    return 0;
}
