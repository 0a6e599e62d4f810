#include <filesystem>
#include <iostream>

#include "cli/cli_commands.h"
#include "filterproc/filter_runner_host.h"
#include "pshost/plugin_list.h"

namespace mugwarp::cli {

namespace {

const char* const kFiltersUsage =
    "usage: mugwarp-cli filters [DIR]\n"
    "  lists the filters below DIR (default: the shipped plug-in folder), with its\n"
    "  sub-directories, in menu order, one per line:\n"
    "  CATEGORY <tab> NAME <tab> KIND <tab> FILE <tab> ENTRY POINT <tab> RUNS\n"
    "  KIND is native, windows-x64 or windows-x86; RUNS is \"yes\", or \"no: \" and\n"
    "  why it cannot run here (what is missing, a DLL it needs, a .NET module)\n";

}  // namespace

std::string defaultPluginFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    std::vector<fs::path> candidates;
    if (!error) candidates.push_back(executable.parent_path() / ".." / "share" / "mugwarp" / "plugins");
#ifdef MUGWARP_BUILT_PLUGINS_DIR
    candidates.emplace_back(MUGWARP_BUILT_PLUGINS_DIR);
#endif
    for (const auto& folder : candidates) {
        if (fs::is_directory(folder, error)) return fs::weakly_canonical(folder, error).string();
    }
    return "plugins";
}

int runFilters(const std::vector<std::string>& args) {
    if (args.size() > 1 || (args.size() == 1 && args[0].starts_with('-'))) {
        std::cerr << kFiltersUsage;
        return 2;
    }
    const std::string folder = args.empty() ? defaultPluginFolder() : args[0];
    if (!std::filesystem::is_directory(folder)) {
        std::cerr << "mugwarp-cli filters: no folder " << folder << "\n";
        return 1;
    }
    PSPluginList list;
    list.scanDirectory(folder, true);
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    filterproc::FilterRunners runners(
        filterproc::defaultRunnerLocations(error ? "." : executable.parent_path().string()));
    const filterproc::FilterRunnerHost host(runners);
    for (int i = 0; i < list.count(); ++i) {
        const PIPLManager& e = list.item(i);
        const std::string missing = host.whyCannotRun(e);
        std::cout << e.getCategory() << '\t' << e.getName() << '\t' << moduleKindName(e.moduleKind) << '\t'
                  << e.fileName << '\t' << e.getEntryPoint() << '\t' << (missing.empty() ? "yes" : "no: " + missing)
                  << '\n';
    }
    return 0;
}

}  // namespace mugwarp::cli
