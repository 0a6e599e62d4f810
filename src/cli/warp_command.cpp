#include <iostream>

#include "cli/cli_commands.h"

namespace mugwarp::cli {

int runWarp(const std::vector<std::string>&) {
    std::cerr << "mugwarp-cli: 'warp' is not available yet\n";
    return 1;
}

}  // namespace mugwarp::cli
