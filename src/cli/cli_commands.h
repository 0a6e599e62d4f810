#pragma once
#include <string>
#include <vector>

namespace mugwarp::cli {

// Each command takes the words after its name and returns the exit code:
// 0 success, 1 failure (message on stderr), 2 bad arguments.
int runConvert(const std::vector<std::string>& args);
int runInfo(const std::vector<std::string>& args);
int runWarp(const std::vector<std::string>& args);

}  // namespace mugwarp::cli
