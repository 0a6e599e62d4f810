#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/edit_actions.h"
#include "cli/overlay_actions.h"
#include "cli/save_flags.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp::cli {

std::string editUsage(const std::string& command) {
    std::string text = "usage: mugwarp-cli " + command +
                       " IN OUT [--size S] [--effect E] [--plugins DIR] ACTION...\n"
                       "  replays an editing session at 100% zoom and saves the displayed picture as OUT\n"
                       "  --size S      brush size, 5..500 (default 100), from this point on\n"
                       "  --effect E    brush effect, -100..100 (default 0), from this point on\n"
                       "  --plugins DIR where filter actions find their plug-ins (default: the\n"
                       "                shipped plug-in folder); filters run with their defaults, or\n"
                       "                with :last the settings the editor saved for them, with\n"
                       "                :settings=FILE those of 'mugwarp-cli filter-settings export',\n"
                       "                with :dialog its own dialog on the display, kept for :last as\n"
                       "                the editor keeps it; where modules share a name, give the\n"
                       "                Filters menu's caption or CATEGORY/NAME@FILE\n"
                       "  --filter-timeout S  a filter still running after S seconds is asked to\n"
                       "                stop, and ended 2 s later (default: 300; 0: no limit; a run\n"
                       "                with :dialog, where a person answers, has none)\n"
                       "  ACTION        one of the following, applied in order; points are picture\n"
                       "                pixels, the first a press and the others moves with the button held:\n";
    for (const auto& [name, family] : actionTable()) text += "                  " + family.syntax + "\n";
    text +=
        "                a stroke holds for N timer ticks at its last point; erase and paint\n"
        "                squares span N+1 pixels; pick prints the colour as #RRGGBB and paints\n"
        "                with it; resize reads each side within the Image Size dialog's limits;\n"
        "                clipart and text are placed with their top-left at X,Y and drawn into\n"
        "                OUT as Save draws overlays (transparent keys a GIF's transparent colour);\n"
        "                undo goes one step further back each time, redo one step forward\n";
    text += saveFlagsHelp();
    return text;
}

namespace {

struct Script {
    std::string input;
    std::string output;
    std::vector<Action> steps;
    std::size_t historyNeeded = 0;  // steps up to the last undo or redo
    std::string pluginFolder;
    int filterTimeoutMs = FilterActions::kDefaultRunTimeoutMs;
    std::string firstFilter;  // the first filter step, whose runner starts with the script
};

Script parseScript(const std::vector<std::string>& args) {
    Script script;
    std::vector<std::string> files;
    bool anyAction = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--plugins") {
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a folder"};
            script.pluginFolder = args[++i];
        } else if (arg == "--filter-timeout") {
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            script.filterTimeoutMs = parseInt(args[++i], 0, 86400, arg) * 1000;
        } else if (isBrushOption(arg)) {
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            script.steps.push_back(*parseBrushOption(arg, args[++i]));
        } else if (files.size() < 2) {
            if (arg.size() > 1 && arg[0] == '-') throw UsageError{"unknown option '" + arg + "'"};
            files.push_back(arg);
        } else {
            script.steps.push_back(parseAction(arg));
            if (script.firstFilter.empty() && FilterActions::isFilterAction(arg)) script.firstFilter = arg;
            if (walksHistory(arg)) script.historyNeeded = script.steps.size();
            anyAction = true;
        }
    }
    if (files.size() < 2) throw UsageError{"IN and OUT are required"};
    if (!anyAction) throw UsageError{"at least one ACTION is required"};
    script.input = files[0];
    script.output = files[1];
    return script;
}

}  // namespace

int runEdit(const std::vector<std::string>& args, const std::string& command) {
    Script script;
    SaveFlags save;
    try {
        std::vector<std::string> rest;
        if (!takeSaveFlags(args, rest, save)) throw UsageError{"--quality takes a number from 1 to 100"};
        script = parseScript(rest);
    } catch (const UsageError& e) {
        std::cerr << "mugwarp-cli " << command << ": " << e.message << "\n" << editUsage(command);
        return 2;
    }
    if (!checkOutputExtension(script.output)) return 1;
    try {
        EditSession session(std::cout, script.pluginFolder.empty() ? defaultPluginFolder() : script.pluginFolder);
        session.filters.setRunTimeout(script.filterTimeoutMs);
        session.filters.startRunnerEarly(script.firstFilter);
        replay(session, script.input, script.steps, script.historyNeeded);
        session.filters.letRunnersGo();
        // Saving ends a flat-image tool as choosing the arrow tool does.
        session.document.selectArrowTool();
        saveDocument(session.document, session.overlays, script.output,
                     save.options(session.document.photoInfo()));
    } catch (const ActionError& e) {
        std::cerr << "mugwarp-cli " << command << ": " << e.message << "\n";
        return 1;
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
