#include <iostream>

#include "cli/cli_commands.h"

namespace mugwarp::cli {

int runConvert(const std::vector<std::string>&) {
    std::cerr << "mugwarp-cli: 'convert' is not available yet\n";
    return 1;
}

}  // namespace mugwarp::cli
