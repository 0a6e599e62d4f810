#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

namespace {

const char* const kUsage =
    "usage: mugwarp-cli COMMAND ...\n"
    "  convert IN OUT                 load IN as the editor does and save OUT by its extension\n"
    "  info FILE                      describe a picture file\n"
    "  edit IN OUT [--size S] [--effect E] ACTION...\n"
    "                                 replay an editing session (warp strokes, erase, paint,\n"
    "                                 pick, crop, resize, rotate, undo, redo) and save the result;\n"
    "                                 'edit' alone prints the actions\n"
    "  warp ...                       the same as edit\n"
    "  batch --out DIR [--format F] [--jobs N] FILE... -- ACTION...\n"
    "                                 apply the same actions to many pictures\n"
    "  filter-settings list|export CATEGORY/NAME FILE|import FILE\n"
    "                                 the filter settings the editor keeps\n"
    "  filters [DIR]                  list the filter plug-ins below DIR in menu order\n"
    "  --version                      print the version\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    try {
        if (command == "--version") {
            std::cout << "Mugwarp Studio 3.0\n";
            return 0;
        }
        if (command == "convert") return mugwarp::cli::runConvert(args);
        if (command == "info") return mugwarp::cli::runInfo(args);
        if (command == "edit" || command == "warp") return mugwarp::cli::runEdit(args, command);
        if (command == "filters") return mugwarp::cli::runFilters(args);
        if (command == "batch") return mugwarp::cli::runBatch(args);
        if (command == "filter-settings") return mugwarp::cli::runFilterSettings(args);
        if (command == "--help" || command == "-h") {
            std::cout << kUsage;
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cerr << "mugwarp-cli: unknown command '" << command << "'\n" << kUsage;
    return 2;
}
