#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/edit_actions.h"
#include "edit/morph_animation.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp::cli {

std::string animateUsage() {
    return "usage: mugwarp-cli animate IN OUT.gif [--frames N] [--delay MS] [--back-and-forth]\n"
           "                           [--once] [--plugins DIR] [-- ACTION...]\n"
           "  writes the morph from the undeformed picture to the warped one as an animated\n"
           "  GIF, overlays drawn in every frame: IN is a .mugwarp project, or a picture\n"
           "  warped by the ACTIONs (as 'mugwarp-cli edit' knows them, --size and --effect\n"
           "  included)\n"
           "  --frames N        frames from the source to the result, 2..500 (default 24)\n"
           "  --delay MS        how long each frame shows, 10..10000 ms (default 80)\n"
           "  --back-and-forth  the frames again from the result back to the source\n"
           "  --once            plays once instead of looping\n";
}

namespace {

struct AnimateScript {
    std::string input;
    std::string output;
    AnimationOptions options;
    std::vector<Action> steps;
    std::size_t historyNeeded = 0;
    std::string pluginFolder;
};

AnimateScript parseAnimate(const std::vector<std::string>& args) {
    AnimateScript script;
    std::vector<std::string> files;
    std::size_t i = 0;
    auto valueOf = [&](const std::string& option) -> const std::string& {
        if (i + 1 >= args.size()) throw UsageError{option + " needs a value"};
        return args[++i];
    };
    for (; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (arg == "--frames") {
            script.options.frames = parseInt(valueOf(arg), 2, 500, arg);
        } else if (arg == "--delay") {
            script.options.delayMs = parseInt(valueOf(arg), 10, 10000, arg);
        } else if (arg == "--back-and-forth") {
            script.options.backAndForth = true;
        } else if (arg == "--once") {
            script.options.looping = false;
        } else if (arg == "--plugins") {
            script.pluginFolder = valueOf(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError{"unknown option '" + arg + "'"};
        } else if (files.size() < 2) {
            files.push_back(arg);
        } else {
            throw UsageError{"actions come after --"};
        }
    }
    for (++i; i < args.size(); ++i) {
        if (isBrushOption(args[i])) {
            const std::string& option = args[i];
            script.steps.push_back(*parseBrushOption(option, valueOf(option)));
            continue;
        }
        script.steps.push_back(parseAction(args[i]));
        if (walksHistory(args[i])) script.historyNeeded = script.steps.size();
    }
    if (files.size() < 2) throw UsageError{"IN and OUT are required"};
    script.input = files[0];
    script.output = files[1];
    if (lowerExtension(script.output) != ".gif") throw UsageError{"OUT must be a .gif file"};
    return script;
}

}  // namespace

int runAnimate(const std::vector<std::string>& args) {
    AnimateScript script;
    try {
        script = parseAnimate(args);
    } catch (const UsageError& e) {
        std::cerr << "mugwarp-cli animate: " << e.message << "\n" << animateUsage();
        return 2;
    }
    try {
        EditSession session(std::cout, script.pluginFolder.empty() ? defaultPluginFolder() : script.pluginFolder);
        replay(session, script.input, script.steps, script.historyNeeded);
        session.filters.letRunnersGo();
        session.document.selectArrowTool();
        const Document& document = session.document;
        writeMorphAnimation(script.output,
                            {document.source(), document.display(), document.deformation(), &session.overlays},
                            script.options);
    } catch (const ActionError& e) {
        std::cerr << "mugwarp-cli animate: " << e.message << "\n";
        return 1;
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
