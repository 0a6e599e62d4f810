#include <iostream>

#include "cli/cli_commands.h"

namespace mugwarp::cli {

int runInfo(const std::vector<std::string>&) {
    std::cerr << "mugwarp-cli: 'info' is not available yet\n";
    return 1;
}

}  // namespace mugwarp::cli
