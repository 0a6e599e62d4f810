#include "filterproc/runner_setup.h"

#include <unistd.h>

#include <cstdlib>

#include "filterproc/debug_log.h"
#include "filterproc/program_files.h"
#include "filterproc/wine_prefix.h"

namespace mugwarp::filterproc {

namespace {

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A filter that needs the network (a licence check) can be let out.
bool confined() { return environment("MUGWARP_UNCONFINED_FILTERS") != "1"; }

}  // namespace

RunnerKind runnerKindFor(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Windows64: return RunnerKind::Windows64;
    case ModuleKind::Windows32: return RunnerKind::Windows32;
    case ModuleKind::Native: break;
    }
    return RunnerKind::Native;
}

RunnerLocations defaultRunnerLocations(const std::string& executableDir) {
    RunnerLocations where;
    std::string dir = environment("MUGWARP_RUNNER_DIR");
    if (dir.empty()) dir = shippedRunnerFolder(executableDir);
    where.nativeRunner = dir + "/mugwarp-filter-runner";
    where.windowsRunner = dir + "/mugwarp-filter-runner.exe";
    where.windowsRunner32 = dir + "/mugwarp-filter-runner32.exe";
    where.wine = environment("MUGWARP_WINE");
    if (where.wine.empty()) where.wine = "/usr/lib/wine/wine64";
    where.wine32 = environment("MUGWARP_WINE32");
    if (where.wine32.empty()) where.wine32 = "/usr/lib/wine/wine";
    std::string cache = environment("XDG_CACHE_HOME");
    if (cache.empty()) cache = environment("HOME") + "/.cache";
    where.winePrefix = cache + "/mugwarp/wine";
    where.wineLibraries64 = {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib64/wine/x86_64-windows",
                             "/usr/lib/wine/x86_64-windows", "/opt/wine-stable/lib64/wine/x86_64-windows"};
    where.wineLibraries32 = {"/usr/lib/i386-linux-gnu/wine/i386-windows", "/usr/lib32/wine/i386-windows",
                             "/usr/lib/wine/i386-windows", "/opt/wine-stable/lib/wine/i386-windows"};
    return where;
}

RunnerCommand nativeRunnerCommand(const RunnerLocations& where) {
    RunnerCommand c;
    c.program = where.nativeRunner;
    c.hideOutput = false;  // a native module's own messages are the user's business
    c.memoryCap = RunnerCommand::MemoryCap::AddressSpace;
    c.confined = confined();
    c.memoryLimit = kRunnerMemoryLimit;
    c.requiredFiles = {{where.nativeRunner, "the filter runner " + where.nativeRunner + " is missing."}};
    c.description = "the filter runner";
    return c;
}

RunnerCommand windowsRunnerCommand(const RunnerLocations& where) {
    RunnerCommand c;
    c.program = where.wine;
    c.arguments = {where.windowsRunner};
    // Without the theming DLL, dialogs of filters that theme their controls
    // open at once instead of behind one error box per failed theme call
    // (seen with Wine 8.0); they are drawn in the classic style.
    c.environment = {{"WINEPREFIX", where.winePrefix},
                     {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d;uxtheme=d"}};
    if (!debuggingFilters()) c.environment.emplace_back("WINEDEBUG", "-all");
    // Wine writes to its prefix (an empty folder is made into one) and keeps
    // its server's socket and lock in /tmp/.wine-UID; both must exist before
    // the start for a write rule to name them.
    const std::string serverFolder = "/tmp/.wine-" + std::to_string(::getuid());
    c.directoriesToCreate = {where.winePrefix, serverFolder};
    c.writablePaths = {where.winePrefix, serverFolder};
    c.confined = confined();
    c.hideOutput = !debuggingFilters();
    // Wine reserves much address space for itself, so its cap counts committed data.
    c.memoryCap = RunnerCommand::MemoryCap::Data;
    c.memoryLimit = kRunnerMemoryLimit;
    c.requiredFiles = {
        {where.wine, "Windows filters need Wine, which is not installed (" + where.wine +
                         " is missing; install the package wine64)."},
        {where.windowsRunner, "the Windows filter runner " + where.windowsRunner +
                                  " is missing (it is built when the mingw-w64 cross compiler is installed)."}};
    c.startingMessage = "Starting Windows filter support\u2026";
    c.description = "Windows filter support (Wine)";
    c.prepare = [prefix = where.winePrefix, wine64 = where.wine, like = c]() {
        return readyPrefix(prefix, wine64, like, false);
    };
    return c;
}

RunnerCommand windows32RunnerCommand(const RunnerLocations& where) {
    RunnerCommand c = windowsRunnerCommand(where);
    c.program = where.wine32;
    c.arguments = {where.windowsRunner32};
    c.requiredFiles = {
        {where.wine32, "32-bit Windows filters need 32-bit Wine, which is not installed (" + where.wine32 +
                           " is missing; install the package wine32:i386)."},
        {where.windowsRunner32, "the 32-bit Windows filter runner " + where.windowsRunner32 +
                                    " is missing (it is built when the mingw-w64 i686 cross compiler is installed)."}};
    c.description = "32-bit Windows filter support (Wine)";
    c.prepare = [prefix = where.winePrefix, wine64 = where.wine, like = c]() {
        return readyPrefix(prefix, wine64, like, true);
    };
    return c;
}

FilterRunners::FilterRunners(RunnerLocations where, RunnerTimings timings)
    : where_(std::move(where)), timings_(timings) {}

const WindowsLibraries& FilterRunners::windowsLibraries(ModuleKind kind) {
    const bool wide = kind != ModuleKind::Windows32;
    auto& slot = wide ? libraries64_ : libraries32_;
    if (!slot)
        slot = std::make_unique<WindowsLibraries>(wide ? where_.wineLibraries64 : where_.wineLibraries32,
                                                  where_.winePrefix + (wide ? "/drive_c/windows/system32"
                                                                            : "/drive_c/windows/syswow64"));
    return *slot;
}

void FilterRunners::letRunnersGo() {
    for (const auto& client : clients_)
        if (client) client->letRunnerGo();
}

void FilterRunners::setRunTimeout(int milliseconds) {
    timings_.runTimeoutMs = milliseconds;
    for (auto& client : clients_)
        if (client) client->setRunTimeout(milliseconds);
}

FilterRunnerClient& FilterRunners::runnerFor(RunnerKind kind) {
    auto& slot = clients_[static_cast<std::size_t>(kind)];
    if (!slot) {
        switch (kind) {
        case RunnerKind::Native: slot = std::make_unique<FilterRunnerClient>(nativeRunnerCommand(where_), timings_); break;
        case RunnerKind::Windows64:
            slot = std::make_unique<FilterRunnerClient>(windowsRunnerCommand(where_), timings_);
            break;
        case RunnerKind::Windows32:
            slot = std::make_unique<FilterRunnerClient>(windows32RunnerCommand(where_), timings_);
            break;
        }
    }
    return *slot;
}

}  // namespace mugwarp::filterproc
