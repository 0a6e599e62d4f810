#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/edit_actions.h"

namespace {

using Arguments = std::vector<std::string>;

// Every command, in the order the help lists them. The help, the manual page
// (made from the help at build time) and the shell completion all read this
// table, so a command added here shows up in all of them.
struct Command {
    std::string_view name;
    std::string_view synopsis;  // the words after the name
    std::string_view summary;   // one or more lines
    int (*run)(const Arguments& args);
    std::string (*usage)();  // what "help NAME" prints
};

int help(const Arguments& args);
std::string helpUsage() {
    return "usage: mugwarp-cli help [COMMAND]\n"
           "  prints the commands, or all that COMMAND takes (as COMMAND --help does)\n";
}

const Command kCommands[] = {
    {"convert", "IN OUT", "load IN as the editor does and save OUT by its extension\n"
     "(a .mugwarp project flattened, or written as one)", mugwarp::cli::runConvert,
     mugwarp::cli::convertUsage},
    {"info", "FILE", "describe a picture or project file", mugwarp::cli::runInfo, mugwarp::cli::infoUsage},
    {"edit", "IN OUT [--size S] [--effect E] ACTION...",
     "replay an editing session (warp strokes, erase, paint,\n"
     "pick, crop, resize, rotate, undo, redo) and save the result;\n"
     "'edit' alone prints the actions",
     [](const Arguments& args) { return mugwarp::cli::runEdit(args, "edit"); },
     [] { return mugwarp::cli::editUsage("edit"); }},
    {"warp", "...", "the same as edit", [](const Arguments& args) { return mugwarp::cli::runEdit(args, "warp"); },
     [] { return std::string("usage: mugwarp-cli warp ...\n  the older name of edit, taking the same arguments\n"); }},
    {"batch", "--out DIR [--format F] [--jobs N] FILE... -- ACTION...", "apply the same actions to many pictures",
     mugwarp::cli::runBatch, mugwarp::cli::batchUsage},
    {"animate", "IN OUT.gif [--frames N] [--delay MS] [--back-and-forth] [-- ACTION...]",
     "write the morph from the source to the warped picture\n"
     "as an animated GIF",
     mugwarp::cli::runAnimate, mugwarp::cli::animateUsage},
    {"filter-settings", "list|export CATEGORY/NAME FILE|import FILE", "the filter settings the editor keeps",
     mugwarp::cli::runFilterSettings, mugwarp::cli::filterSettingsUsage},
    {"filters", "[--verbose] [--plugins DIR | DIR]", "list the filter plug-ins below DIR in menu order", mugwarp::cli::runFilters,
     mugwarp::cli::filtersUsage},
    {"faces", "IN [--json]", "print each face's box and 68 landmarks", mugwarp::cli::runFaces,
     mugwarp::cli::facesUsage},
    {"help", "[COMMAND]", "print this, or all that COMMAND takes", help, helpUsage},
};

constexpr std::size_t kSummaryColumn = 33;

void printEntry(std::ostream& out, std::string_view head, std::string_view summary) {
    std::string line = "  " + std::string(head);
    // A head too long for the column gets a line of its own.
    if (line.size() >= kSummaryColumn) {
        out << line << "\n";
        line.clear();
    }
    while (!summary.empty()) {
        const std::size_t end = std::min(summary.find('\n'), summary.size());
        line.resize(kSummaryColumn, ' ');
        out << line << summary.substr(0, end) << "\n";
        line.clear();
        summary.remove_prefix(std::min(end + 1, summary.size()));
    }
}

void printOverview(std::ostream& out) {
    out << "usage: mugwarp-cli COMMAND ...\n";
    for (const Command& c : kCommands) {
        printEntry(out, std::string(c.name) + (c.synopsis.empty() ? "" : " ") + std::string(c.synopsis), c.summary);
    }
    printEntry(out, "--version", "print the version");
}

const Command* findCommand(std::string_view name) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return c.name == name; });
    return found == std::end(kCommands) ? nullptr : found;
}

int help(const Arguments& args) {
    if (args.empty()) {
        printOverview(std::cout);
        return 0;
    }
    const Command* command = args.size() == 1 ? findCommand(args[0]) : nullptr;
    if (!command) {
        std::cerr << "mugwarp-cli help: no command '" << args[0] << "'\n";
        printOverview(std::cerr);
        return 2;
    }
    std::cout << command->usage();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args(argv + 1, argv + argc);
    if (args.empty()) {
        printOverview(std::cerr);
        return 2;
    }
    const std::string name = args.front();
    args.erase(args.begin());
    try {
        if (name == "--version") {
            std::cout << "Mugwarp Studio " MUGWARP_VERSION "\n";
            return 0;
        }
        if (name == "--help" || name == "-h") return help(args);
        // For shell completion: the names alone, one per line.
        if (name == "--list-commands") {
            for (const Command& c : kCommands) std::cout << c.name << "\n";
            return 0;
        }
        if (name == "--list-actions") {
            // An action that takes arguments is listed with its colon, as it is typed.
            for (const auto& [action, family] : mugwarp::cli::actionTable())
                std::cout << action << (family.syntax.find(':') == std::string::npos ? "" : ":") << "\n";
            return 0;
        }
        if (const Command* command = findCommand(name)) {
            if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return help({name});
            return command->run(args);
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cerr << "mugwarp-cli: unknown command '" << name << "'\n";
    printOverview(std::cerr);
    return 2;
}
