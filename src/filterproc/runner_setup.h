#pragma once
#include <array>
#include <memory>
#include <string>

#include "filterproc/filter_runner_client.h"
#include "filterproc/runner_command.h"
#include "pshost/pipl_manager.h"
#include "filterproc/windows_libraries.h"

namespace mugwarp::filterproc {

enum class RunnerKind { Native, Windows64, Windows32 };
RunnerKind runnerKindFor(ModuleKind kind);

// Where the runners and Wine are found.
struct RunnerLocations {
    std::string nativeRunner;     // mugwarp-filter-runner
    std::string windowsRunner;    // mugwarp-filter-runner.exe
    std::string windowsRunner32;  // mugwarp-filter-runner32.exe
    std::string wine;             // the wine64 loader
    std::string wine32;           // Wine's 32-bit loader, same prefix
    std::string winePrefix;       // our own prefix, created on first use
    // Wine's builtin DLLs, per bitness, wherever the distribution puts them.
    std::vector<std::string> wineLibraries64;
    std::vector<std::string> wineLibraries32;
};

// In PREFIX/libexec/mugwarp (see program_files.h); MUGWARP_RUNNER_DIR,
// MUGWARP_WINE and MUGWARP_WINE32 override. The Wine prefix lives under
// $XDG_CACHE_HOME/mugwarp/wine.
RunnerLocations defaultRunnerLocations(const std::string& executableDir);

// A runner's memory is capped well above what a 5000 x 5000 picture needs, so
// a runaway module fails inside its own process.
constexpr std::uint64_t kRunnerMemoryLimit = std::uint64_t(4) << 30;

RunnerCommand nativeRunnerCommand(const RunnerLocations& where);
// Wine with our prefix, no installer prompts, the X display passed on, and
// its console noise hidden unless MUGWARP_DEBUG_FILTERS=1.
RunnerCommand windowsRunnerCommand(const RunnerLocations& where);
// The same for 32-bit modules under Wine's 32-bit loader; a prefix made
// before 32-bit Wine was installed is mended first.
RunnerCommand windows32RunnerCommand(const RunnerLocations& where);

// One runner per kind, each started on first use and kept.
class FilterRunners {
public:
    explicit FilterRunners(RunnerLocations where, RunnerTimings timings = {});
    FilterRunnerClient& runnerFor(RunnerKind kind);
    // Every running runner is told to leave, without waiting (no filter is
    // to run for a while); the next run starts its runner afresh.
    void letRunnersGo();
    const RunnerLocations& locations() const { return where_; }
    // A run longer than this counts as aborted (0: no limit), for every
    // runner from its next run on.
    void setRunTimeout(int milliseconds);
    // The DLLs modules of that kind find (listed on first use).
    const WindowsLibraries& windowsLibraries(ModuleKind kind);

private:
    RunnerLocations where_;
    RunnerTimings timings_;
    std::array<std::unique_ptr<FilterRunnerClient>, 3> clients_;  // by RunnerKind
    std::unique_ptr<WindowsLibraries> libraries64_;
    std::unique_ptr<WindowsLibraries> libraries32_;
};

}  // namespace mugwarp::filterproc
