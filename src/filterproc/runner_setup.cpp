#include "filterproc/runner_setup.h"

#include <unistd.h>

#include <cstdlib>

namespace mugwarp::filterproc {

namespace {

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool debugging() { return environment("MUGWARP_DEBUG_FILTERS") == "1"; }

}  // namespace

RunnerLocations defaultRunnerLocations(const std::string& executableDir) {
    RunnerLocations where;
    std::string dir = environment("MUGWARP_RUNNER_DIR");
    if (dir.empty()) {
        const std::string installed = executableDir + "/../libexec/mugwarp";
        dir = ::access((installed + "/mugwarp-filter-runner").c_str(), X_OK) == 0 ? installed : MUGWARP_RUNNER_BUILD_DIR;
    }
    where.nativeRunner = dir + "/mugwarp-filter-runner";
    where.windowsRunner = dir + "/mugwarp-filter-runner.exe";
    where.wine = environment("MUGWARP_WINE");
    if (where.wine.empty()) where.wine = "/usr/lib/wine/wine64";
    std::string cache = environment("XDG_CACHE_HOME");
    if (cache.empty()) cache = environment("HOME") + "/.cache";
    where.winePrefix = cache + "/mugwarp/wine";
    return where;
}

RunnerCommand nativeRunnerCommand(const RunnerLocations& where) {
    RunnerCommand c;
    c.program = where.nativeRunner;
    c.hideOutput = false;  // a native module's own messages are the user's business
    c.memoryCap = RunnerCommand::MemoryCap::AddressSpace;
    c.memoryLimit = kRunnerMemoryLimit;
    c.requiredFiles = {{where.nativeRunner, "the filter runner " + where.nativeRunner + " is missing."}};
    c.description = "the filter runner";
    return c;
}

RunnerCommand windowsRunnerCommand(const RunnerLocations& where) {
    RunnerCommand c;
    c.program = where.wine;
    c.arguments = {where.windowsRunner};
    c.environment = {{"WINEPREFIX", where.winePrefix},
                     {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d"}};
    if (!debugging()) c.environment.emplace_back("WINEDEBUG", "-all");
    c.directoriesToCreate = {where.winePrefix.substr(0, where.winePrefix.rfind('/'))};
    c.hideOutput = !debugging();
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
    return c;
}

FilterRunners::FilterRunners(RunnerLocations where, RunnerTimings timings)
    : where_(std::move(where)), timings_(timings) {}

FilterRunnerClient& FilterRunners::runnerFor(RunnerKind kind) {
    auto& slot = kind == RunnerKind::Native ? native_ : windows_;
    if (!slot)
        slot = std::make_unique<FilterRunnerClient>(
            kind == RunnerKind::Native ? nativeRunnerCommand(where_) : windowsRunnerCommand(where_), timings_);
    return *slot;
}

}  // namespace mugwarp::filterproc
