#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/cli_commands.h"
#include "filterproc/confinement.h"
#include "filterproc/filter_runner_host.h"
#include "filterproc/program_files.h"
#include "pshost/filter_names.h"
#include "pshost/plugin_list.h"

namespace mugwarp::cli {

std::string filtersUsage() {
    return "usage: mugwarp-cli filters [--verbose] [--plugins DIR | DIR]\n"
           "  lists the filters below DIR (default: the shipped plug-in folder), with its\n"
           "  sub-directories, in menu order, one per line:\n"
           "  CATEGORY <tab> NAME <tab> KIND <tab> FILE <tab> ENTRY POINT <tab> RUNS\n"
           "  KIND is native, windows-x64 or windows-x86; RUNS is \"yes\", or \"no: \" and\n"
           "  why it cannot run here (what is missing, a DLL it needs, a .NET module)\n"
           "  NAME is the Filters menu's caption: where modules share a name it adds the\n"
           "  bitness, then the file (\"Blur (Windows, soft.8bf)\"); filter:CATEGORY/NAME\n"
           "  takes it as listed\n"
           "  --verbose first says how filter runners are confined on this machine\n";
}

std::string defaultPluginFolder() {
    return filterproc::shippedPluginFolder(filterproc::executableDirectory());
}

int runFilters(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const auto verbose = std::find(args.begin(), args.end(), "--verbose");
    const bool showConfinement = verbose != args.end();
    if (showConfinement) args.erase(verbose);
    // --plugins DIR, as every other command takes it, or DIR alone.
    if (const auto option = std::find(args.begin(), args.end(), "--plugins"); option != args.end()) {
        if (option + 1 == args.end()) {
            std::cerr << filtersUsage();
            return 2;
        }
        const std::string folder = *(option + 1);
        args.erase(option, option + 2);
        if (!args.empty()) {
            std::cerr << filtersUsage();
            return 2;
        }
        args.push_back(folder);
    }
    if (args.size() > 1 || (args.size() == 1 && args[0].starts_with('-'))) {
        std::cerr << filtersUsage();
        return 2;
    }
    const std::string folder = args.empty() ? defaultPluginFolder() : args[0];
    if (!std::filesystem::is_directory(folder)) {
        std::cerr << "mugwarp-cli filters: no folder " << folder << "\n";
        return 1;
    }
    if (showConfinement) {
        const unsigned confinement = filterproc::confinementOnThisMachine();
        std::cout << "# filter runners run with: " << filterproc::describeConfinement(confinement) << "\n";
        const std::string missing = filterproc::describeMissingConfinement(confinement);
        if (!missing.empty()) std::cout << "# not here: " << missing << "\n";
    }
    PSPluginList list;
    list.scanDirectory(folder, true);
    filterproc::FilterRunners runners(filterproc::defaultRunnerLocations(filterproc::executableDirectory()));
    const filterproc::FilterRunnerHost host(runners);
    const std::vector<std::string> captions = filterCaptions(list);
    for (int i = 0; i < list.count(); ++i) {
        const PIPLManager& e = list.item(i);
        const std::string missing = host.whyCannotRun(e);
        // CATEGORY/NAME as listed is what a filter step takes.
        std::cout << e.getCategory() << '\t' << captions[i] << '\t' << moduleKindName(e.moduleKind) << '\t'
                  << e.fileName << '\t' << e.getEntryPoint() << '\t' << (missing.empty() ? "yes" : "no: " + missing)
                  << '\n';
    }
    return 0;
}

}  // namespace mugwarp::cli
