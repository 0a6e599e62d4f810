#include <gtest/gtest.h>

#include <filesystem>

#include "filter_test_support.h"
#include "pshost/module_resources.h"
#include "pshost/pe_imports.h"
#include "support/pe_patch.h"
#include "support/temp_dir.h"

namespace mugwarp::test {
namespace {

std::vector<std::uint8_t> windowsModule() {
    const std::string path = testModule("windows.8bf");
    return std::filesystem::exists(path) ? readBytes(path) : std::vector<std::uint8_t>{};
}

TEST(PeImports, DiscoveryNotesTheDllsAModuleNeedsAndWhetherItIsDotNet) {
    std::vector<std::uint8_t> module = windowsModule();
    if (module.empty()) GTEST_SKIP() << "the Windows test module needs the mingw-w64 cross compiler";
    const auto imports = readPeImports(module);
    ASSERT_TRUE(imports);
    EXPECT_EQ(imports->libraries, (std::vector<std::string>{"KERNEL32.dll", "msvcrt.dll"}));
    EXPECT_FALSE(imports->dotNetAssembly);

    ASSERT_TRUE(renameImport(module, "msvcrt.dll", "absent.dll"));
    ASSERT_TRUE(markAsDotNet(module));
    TempDir dir;
    writeBytes(dir.path("changed.8bf"), module);
    PSPluginList list;
    list.addModule(dir.path("changed.8bf"));
    ASSERT_EQ(list.count(), 2);  // its PiPLs are read as before
    EXPECT_EQ(list.item(0).importedLibraries, (std::vector<std::string>{"KERNEL32.dll", "absent.dll"}));
    EXPECT_TRUE(list.item(1).dotNetAssembly);
}

TEST(PeImports, DamagedModulesGiveWhatCanBeReadAndNoMore) {
    const std::vector<std::uint8_t> module = windowsModule();
    if (module.empty()) GTEST_SKIP() << "the Windows test module needs the mingw-w64 cross compiler";
    const std::vector<std::string> all{"KERNEL32.dll", "msvcrt.dll"};
    const auto readable = [&](const std::vector<std::uint8_t>& bytes) {
        const auto imports = readPeImports(bytes);
        readPeResources(bytes);  // the same headers, read by the resource reader
        if (!imports) return;
        for (const std::string& name : imports->libraries)
            EXPECT_TRUE(name.size() <= 260 && std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20; }));
    };
    // Cut anywhere: never a read past the end.
    for (std::size_t size = 0; size < module.size(); size += 61)
        readable(std::vector<std::uint8_t>(module.begin(), module.begin() + std::ptrdiff_t(size)));
    // Any header byte (and those of the import table) set to every bit: offsets and counts go wild.
    for (std::size_t at = 0; at < std::min<std::size_t>(module.size(), 4096); ++at) {
        std::vector<std::uint8_t> damaged = module;
        damaged[at] = 0xFF;
        readable(damaged);
    }
    // A name that runs into the end of the file without its zero is not read.
    const std::string last = "msvcrt.dll";
    const auto name = std::search(module.begin(), module.end(), last.begin(), last.end());
    ASSERT_NE(name, module.end());
    const auto cut = readPeImports(std::vector<std::uint8_t>(module.begin(), name + 3));
    ASSERT_TRUE(cut);
    for (const std::string& library : cut->libraries) EXPECT_EQ(library, all[0]);
    EXPECT_FALSE(readPeImports(std::vector<std::uint8_t>{'M', 'Z'}));
}

}  // namespace
}  // namespace mugwarp::test
