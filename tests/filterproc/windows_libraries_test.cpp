#include <gtest/gtest.h>

#include <fstream>

#include "filterproc/windows_libraries.h"
#include "support/temp_dir.h"

using namespace mugwarp;
using namespace mugwarp::filterproc;

namespace {

void touch(const std::filesystem::path& file) { std::ofstream(file) << "MZ"; }

TEST(WindowsLibraries, AModuleNeedsEveryDllItImportsFromWineThePrefixOrItsOwnFolder) {
    test::TempDir dir;
    const auto builtin = dir.dir() / "wine", prefix = dir.dir() / "system32", modules = dir.dir() / "filters";
    for (const auto& folder : {builtin, prefix, modules}) std::filesystem::create_directories(folder);
    touch(builtin / "kernel32.dll");
    touch(prefix / "Installed.DLL");
    touch(modules / "beside.dll");
    const WindowsLibraries libraries({(dir.dir() / "elsewhere").string(), builtin.string()}, prefix.string());

    const struct {
        std::vector<std::string> imports;
        bool dotNet;
        std::string says;
    } cases[] = {
        {{"KERNEL32.dll", "installed.dll", "BESIDE.dll", "api-ms-win-crt-runtime-l1-1-0.dll"}, false, ""},
        {{"KERNEL32.dll", "VCRUNTIME999.dll", "other.dll"}, false, "needs VCRUNTIME999.dll, which is not installed."},
        {{}, true, ".NET filters cannot run here."},
        {{"kernel32.dll"}, true, ".NET filters cannot run here."},
    };
    for (const auto& c : cases) {
        PIPLManager entry;
        entry.moduleKind = ModuleKind::Windows64;
        entry.fileName = (modules / "filter.8bf").string();
        entry.importedLibraries = c.imports;
        entry.dotNetAssembly = c.dotNet;
        EXPECT_EQ(moduleProblem(entry, libraries), c.says) << c.says;
        entry.moduleKind = ModuleKind::Native;  // native modules load through the system's own loader
        EXPECT_EQ(moduleProblem(entry, libraries), "");
    }

    // Without Wine's own DLLs nothing can be judged, so nothing is claimed missing.
    PIPLManager entry;
    entry.moduleKind = ModuleKind::Windows32;
    entry.importedLibraries = {"nowhere.dll"};
    EXPECT_EQ(WindowsLibraries({(dir.dir() / "elsewhere").string()}, prefix.string()).missingFor(entry), "");
}

}  // namespace
