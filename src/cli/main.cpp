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
    "  warp IN OUT [--size S] [--effect E] ACTION...\n"
    "                                 replay warp strokes and save the result\n"
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
        if (command == "warp") return mugwarp::cli::runWarp(args);
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
