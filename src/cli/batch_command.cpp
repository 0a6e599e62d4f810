#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "cli/batch_progress.h"
#include "cli/cli_commands.h"
#include "cli/edit_actions.h"
#include "cli/overlay_actions.h"
#include "cli/save_flags.h"
#include "edit/project_file.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp::cli {

std::string batchUsage() {
    return std::string("usage: mugwarp-cli batch --out DIR [--format jpg|png|webp|bmp|gif|pdf|mugwarp] [--jobs N] [--plugins DIR]\n"
           "                         [--filter-timeout S] FILE... -- ACTION...\n"
           "  applies the same edit actions (as 'mugwarp-cli edit' knows them, --size and\n"
           "  --effect included) to every FILE and writes DIR/NAME.EXT, NAME being the\n"
           "  file's name without its extension\n"
           "  --out DIR     where the results go (made if missing); never over an input\n"
           "  --format F    the format of every result (default: each picture's own; a\n"
           "                project file in gives a project out)\n"
           "  --jobs N      pictures worked on side by side (default: the number of cores);\n"
           "                each job starts its filter runners once and keeps them\n"
           "  --filter-timeout S  a filter still running after S seconds is asked to stop,\n"
           "                and ended 2 s later (default: 300; 0: no limit)\n") +
           saveFlagsHelp() +
           "  a picture that fails is named and the others go on; the exit code is 0 only\n"
           "  when every picture was written\n";
}

namespace {

namespace fs = std::filesystem;

struct BatchScript {
    std::string outDir;
    std::string format;  // extension without the dot; empty: each input's own
    SaveFlags save;
    int jobs = 0;
    std::string pluginFolder;
    int filterTimeoutMs = FilterActions::kDefaultRunTimeoutMs;
    std::vector<std::string> inputs;
    std::vector<Action> steps;
    std::size_t historyNeeded = 0;  // steps up to the last undo or redo
};

const std::vector<std::string> kFormats = {"jpg", "png", "webp", "bmp", "gif", "pdf", "mugwarp"};

BatchScript parseBatch(const std::vector<std::string>& args) {
    BatchScript script;
    const auto dashes = std::find(args.begin(), args.end(), "--");
    if (dashes == args.end()) throw UsageError{"'--' and the actions after it are required"};
    const auto valueOf = [&](std::size_t& i, const char* what) -> const std::string& {
        if (args.begin() + long(i) + 1 >= dashes) throw UsageError{args[i] + " needs " + what};
        return args[++i];
    };
    const std::size_t end = std::size_t(dashes - args.begin());
    for (std::size_t i = 0; i < end; ++i) {
        const std::string& arg = args[i];
        if (arg == "--out") {
            script.outDir = valueOf(i, "a folder");
        } else if (arg == "--format") {
            script.format = valueOf(i, "a format");
            if (std::find(kFormats.begin(), kFormats.end(), script.format) == kFormats.end())
                throw UsageError{"--format is jpg, png, webp, bmp, gif, pdf or mugwarp, not '" + script.format + "'"};
        } else if (arg == "--jobs") {
            script.jobs = parseInt(valueOf(i, "a number"), 1, 64, "--jobs");
        } else if (arg == "--plugins") {
            script.pluginFolder = valueOf(i, "a folder");
        } else if (arg == "--filter-timeout") {
            script.filterTimeoutMs = parseInt(valueOf(i, "a value"), 0, 86400, arg) * 1000;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError{"unknown option '" + arg + "'"};
        } else {
            script.inputs.push_back(arg);
        }
    }
    for (std::size_t i = end + 1; i < args.size(); ++i) {
        if (isBrushOption(args[i])) {
            if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
            script.steps.push_back(*parseBrushOption(args[i], args[i + 1]));
            ++i;
        } else {
            script.steps.push_back(parseAction(args[i]));
            if (walksHistory(args[i])) script.historyNeeded = script.steps.size();
        }
    }
    if (script.outDir.empty()) throw UsageError{"--out DIR is required"};
    if (script.inputs.empty()) throw UsageError{"at least one FILE is required"};
    if (script.steps.empty()) throw UsageError{"at least one ACTION is required"};
    return script;
}

// One picture of the batch and where its result goes; `refusal` says why it
// is not worked on at all.
struct BatchItem {
    std::string input;
    std::string output;
    std::string refusal;
};

std::string outputExtension(const std::string& input, const std::string& format) {
    if (!format.empty()) return "." + format;
    const std::string own = lowerExtension(input);
    if (isProjectFile(input)) return ".mugwarp";
    return pictureFormatFor(own) == PictureFormat::None ? ".jpg" : own;
}

bool samePlace(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;  // hard links and symbolic links too
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error) && !error;
}

// Results are planned before any work starts, so no picture is written over
// an input or over another picture's result.
std::vector<BatchItem> planOutputs(const BatchScript& script) {
    std::vector<BatchItem> items;
    std::map<std::string, std::string> claimed;  // output -> the input that writes it
    for (const std::string& input : script.inputs) {
        BatchItem item{input, (fs::path(script.outDir) / fs::path(input).stem()).string() +
                                  outputExtension(input, script.format), {}};
        for (const std::string& other : script.inputs) {
            if (samePlace(item.output, other)) {
                item.refusal = "its result " + item.output + " would be written over the input picture " + other +
                               "; choose another --out folder";
                break;
            }
        }
        std::error_code error;
        const std::string key = fs::weakly_canonical(item.output, error).string();
        if (item.refusal.empty()) {
            const auto [at, fresh] = claimed.emplace(key, input);
            if (!fresh) item.refusal = "its result " + item.output + " is already the result of " + at->second;
        }
        items.push_back(std::move(item));
    }
    return items;
}

// One job: its own filter runners, started at its first filter and kept warm
// for every later picture; a fresh document for each picture.
void runJob(const BatchScript& script, const std::vector<BatchItem>& items, std::atomic<std::size_t>& next,
            BatchProgress& progress) {
    FilterActions filters(script.pluginFolder.empty() ? defaultPluginFolder() : script.pluginFolder);
    filters.setRunTimeout(script.filterTimeoutMs);
    for (std::size_t i; (i = next.fetch_add(1)) < items.size();) {
        const BatchItem& item = items[i];
        if (!item.refusal.empty()) {
            progress.pictureFailed(item.input, item.refusal);
            continue;
        }
        try {
            std::ostringstream printed;  // a picked colour means nothing here
            EditSession session(printed, filters);
            replay(session, item.input, script.steps, script.historyNeeded);
            session.document.selectArrowTool();
            saveDocument(session.document, session.overlays, item.output,
                         script.save.options(session.document.photoInfo()));
            progress.pictureDone(item.input, item.output);
        } catch (const ActionError& e) {
            progress.pictureFailed(item.input, e.message);
        } catch (const std::exception& e) {
            progress.pictureFailed(item.input, e.what());
        }
    }
}

}  // namespace

int runBatch(const std::vector<std::string>& args) {
    BatchScript script;
    try {
        std::vector<std::string> rest;
        SaveFlags save;
        if (!takeSaveFlags(args, rest, save)) throw UsageError{"--quality takes a number from 1 to 100"};
        script = parseBatch(rest);
        script.save = save;
    } catch (const UsageError& e) {
        std::cerr << "mugwarp-cli batch: " << e.message << "\n" << batchUsage();
        return 2;
    }
    std::error_code error;
    fs::create_directories(script.outDir, error);
    if (!fs::is_directory(script.outDir)) {
        std::cerr << "mugwarp-cli batch: cannot make the folder " << script.outDir
                  << (error ? " (" + error.message() + ")" : std::string()) << "\n";
        return 1;
    }
    const std::vector<BatchItem> items = planOutputs(script);
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int jobs = std::min<int>(script.jobs > 0 ? script.jobs : cores, int(items.size()));

    BatchProgress progress(int(items.size()), ::isatty(STDERR_FILENO) != 0);
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int j = 1; j < jobs; ++j)
        workers.emplace_back([&] { runJob(script, items, next, progress); });
    runJob(script, items, next, progress);
    for (std::thread& worker : workers) worker.join();
    progress.finish();
    return progress.failures() == 0 ? 0 : 1;
}

}  // namespace mugwarp::cli
