#pragma once
#include <string>
#include <vector>

namespace mugwarp::cli {

// Each command takes the words after its name and returns the exit code:
// 0 success, 1 failure (message on stderr), 2 bad arguments.
int runConvert(const std::vector<std::string>& args);
int runInfo(const std::vector<std::string>& args);
// "edit" and its older name "warp": the same script, the usage names the command.
int runEdit(const std::vector<std::string>& args, const std::string& command);
int runFilters(const std::vector<std::string>& arguments);
int runBatch(const std::vector<std::string>& args);
int runFilterSettings(const std::vector<std::string>& args);
int runFaces(const std::vector<std::string>& args);
int runAnimate(const std::vector<std::string>& args);

// What each command takes, as "mugwarp-cli help COMMAND" prints it (and a
// command on bad arguments).
std::string convertUsage();
std::string infoUsage();
std::string editUsage(const std::string& command);
std::string filtersUsage();
std::string batchUsage();
std::string filterSettingsUsage();
std::string facesUsage();
std::string animateUsage();

// The shipped plug-in folder: share/mugwarp/plugins beside an installed
// executable, else the build tree's sample filters.
std::string defaultPluginFolder();

// Whether path names a format the savers write; otherwise says so on stderr,
// so a command fails before doing any work.
bool checkOutputExtension(const std::string& path);

}  // namespace mugwarp::cli
