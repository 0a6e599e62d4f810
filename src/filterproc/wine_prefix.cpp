#include "filterproc/wine_prefix.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "filterproc/runner_process_posix.h"

namespace mugwarp::filterproc {

namespace {

namespace fs = std::filesystem;

bool isWin64Prefix(const std::string& prefix) {
    std::ifstream registry(prefix + "/system.reg");
    std::string line;
    for (int i = 0; i < 16 && std::getline(registry, line); ++i)
        if (line.rfind("#arch=win64", 0) == 0) return true;
    return false;
}

}  // namespace

bool needsWow64Repair(const std::string& prefix) {
    std::error_code error;
    const fs::path wow64 = fs::path(prefix) / "drive_c/windows/syswow64";
    // Wine writes its registry only when its server ends, so a prefix in use
    // may have none yet; an empty syswow64 marks a 64-bit prefix all the same.
    if (!fs::is_directory(wow64, error)) return isWin64Prefix(prefix);
    return fs::directory_iterator(wow64, error) == fs::directory_iterator();
}

std::string repairWow64Prefix(const std::string& prefix, const std::string& wine64, const RunnerCommand& like) {
    ::unlink((prefix + "/.update-timestamp").c_str());
    RunnerCommand update = like;
    update.program = wine64;
    update.arguments = {"wineboot", "-u"};
    update.memoryLimit = 0;
    try {
        RunnerProcess process(update);
        const std::string how = process.reap(180000);
        if (how != "exit code 0") return "updating the Wine prefix " + prefix + " failed (" + how + ")";
    } catch (const std::exception& e) {
        return "updating the Wine prefix " + prefix + " failed (" + e.what() + ")";
    }
    if (needsWow64Repair(prefix)) return "the Wine prefix " + prefix + " still lacks its 32-bit system files";
    return {};
}

}  // namespace mugwarp::filterproc
