#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace mugwarp::filterproc {

// How to start one kind of runner.
struct RunnerCommand {
    enum class MemoryCap { AddressSpace, Data };

    std::string program;  // absolute path of the executable started
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment;  // set on top of ours
    std::vector<std::string> directoriesToCreate;                  // before the start
    bool hideOutput = true;  // the runner's stdout/stderr noise stays out of our terminal
    MemoryCap memoryCap = MemoryCap::AddressSpace;
    std::uint64_t memoryLimit = 0;  // bytes; 0 leaves the runner uncapped
    // Files that must exist for the start; the text names what is missing.
    std::vector<std::pair<std::string, std::string>> requiredFiles;
    // Run before the start, while the starting message shows: mends what the
    // runner needs (a Wine prefix); returns what went wrong, empty when fine.
    std::function<std::string()> prepare;
    // Confined (no network, writes only to its picture and temporary folders
    // and the paths named here) where the kernel allows; off only to measure
    // what confinement costs.
    bool confined = true;
    std::vector<std::string> writablePaths;
    std::string startingMessage;  // shown while a slow runner starts; empty if it starts at once
    std::string description;      // "Windows filter support" etc., for messages
};

}  // namespace mugwarp::filterproc
