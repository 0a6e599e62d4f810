#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "filter_test_support.h"
#include "pshost/module_resources.h"
#include "pshost/plugin_list.h"
#include "support/temp_dir.h"

namespace mugwarp::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> listed(const PSPluginList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i).getCategory() + "/" + list.item(i).getName());
    return out;
}

void copyModule(const std::string& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

TEST(Discovery, SortsByCategoryThenNameAndWalksSubdirectoriesButNotDotFolders) {
    TempDir dir;
    copyModule(testModule("blur_pair.8bf"), dir.dir() / "blur_pair.8bf");
    copyModule(testModule("artistic.8bf"), dir.dir() / "more" / "deeper" / "ARTISTIC.8BF");
    copyModule(testModule("scripted.8bf"), dir.dir() / ".hidden" / "scripted.8bf");
    copyModule(testModule("scripted.8bf"), dir.dir() / "scripted.8bf.txt");
    std::ofstream(dir.path("text.8bf")) << "not a module";

    PSPluginList flat;
    flat.scanDirectory(dir.dir().string(), false);
    EXPECT_EQ(listed(flat), (std::vector<std::string>{"Blur/Zoom", "Blur/blur"}));

    PSPluginList deep;
    deep.scanDirectory(dir.dir().string() + "/", true);
    EXPECT_EQ(listed(deep), (std::vector<std::string>{"Artistic/Sketch", "Blur/Zoom", "Blur/blur"}));
    EXPECT_EQ(deep.item(1).fileName, deep.item(2).fileName);

    deep.scanDirectory(dir.dir().string(), true);  // again, by another spelling: nothing twice
    deep.scanDirectory(dir.path("more/../more"), true);
    EXPECT_EQ(deep.count(), 3);
    deep.scanDirectory(dir.path("missing"), true);
    EXPECT_EQ(deep.count(), 3);
}

TEST(Discovery, ReadsEveryPiplOfAModuleAndIgnoresItsLegacyResources) {
    PSPluginList list;
    list.addModule(testModule("scripted.8bf"));
    ASSERT_EQ(listed(list), (std::vector<std::string>{"Test/Scripted", "Test/Second"}));
    EXPECT_EQ(list.item(0).getEntryPoint(), "PluginMain");
    EXPECT_EQ(list.item(1).getEntryPoint(), "SecondMain");  // from 'wx86' when there is no '8664'
    EXPECT_EQ(list.item(0).moduleKind, ModuleKind::Native);
    EXPECT_NE(&list.item(0).pluginData, &list.item(1).pluginData);
}

TEST(Discovery, LegacyResourcesGiveOneEntryPerInfoAndNamePair) {
    PSPluginList list;
    list.addModule(testModule("legacy.8bf"));
    ASSERT_EQ(listed(list), (std::vector<std::string>{"Old Category/First Old", "Old Category/Second Old"}));
    EXPECT_EQ(list.item(0).getEntryPoint(), "ENTRYPOINT1");
    EXPECT_EQ(list.item(1).getEntryPoint(), "ENTRYPOINT2");
}

TEST(Discovery, ReadsEveryPropertyKindOfADescription) {
    PSPluginList list;
    list.addModule(testModule("artistic.8bf"));
    ASSERT_EQ(list.count(), 1);
    const PIPLManager& e = list.item(0);
    const auto data = [&](const char (&key)[5]) { return *e.propertyData(fourCharCode(key)); };
    EXPECT_EQ(data("kind"), (std::vector<std::uint8_t>{'M', 'F', 'B', '8'}));
    EXPECT_EQ(data("prty"), (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(data("vers"), (std::vector<std::uint8_t>{1, 0, 4, 0}));
    EXPECT_EQ(data("mode"), (std::vector<std::uint8_t>{0x50, 0}));
    EXPECT_EQ(data("host"), (std::vector<std::uint8_t>{'Y', 'L', 'S', 'T'}));
    EXPECT_EQ(data("enbl"), (std::vector<std::uint8_t>{0x61, 0x62, 0x63, 0x64, 0x65}));  // 5 bytes, then padding
    EXPECT_EQ(data("mxch"), (std::vector<std::uint8_t>{24, 0, 0, 0}));  // read after the padded one
    EXPECT_EQ(e.findProperty(fourCharCode("name"))->vendor, fourCharCode("8BIM"));
}

TEST(Discovery, ReadsThePiplsOfAWindowsModuleWithoutRunningIt) {
    const std::string dll = testModule("windows.8bf");
    if (!fs::exists(dll)) GTEST_SKIP() << "x86_64-w64-mingw32-gcc/windres missing: scripts/install-deps installs them";
    PSPluginList list;
    list.addModule(dll);
    ASSERT_EQ(listed(list), (std::vector<std::string>{"Distort/Windows Wave", "Distort/Windows Ripple"}));
    EXPECT_EQ(list.item(0).moduleKind, ModuleKind::Windows64);
    EXPECT_EQ(list.item(0).getEntryPoint(), "PluginMain");
}

TEST(Discovery, DamagedFilesAddNothing) {
    std::ifstream in(testModule("scripted.8bf"), std::ios::binary);
    std::vector<std::uint8_t> elf((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(elf.size(), 64u);
    // Cut anywhere, or with the section table pointing far away: no crash, no entries.
    for (std::size_t cut : {std::size_t(10), std::size_t(64), elf.size() / 2}) {
        const auto r = readElfResources(std::span(elf).first(cut));
        EXPECT_TRUE(!r || r->pipls.empty()) << cut;
    }
    auto broken = elf;
    broken[0x28 + 7] = 0x7F;
    EXPECT_FALSE(readElfResources(broken));
    std::vector<std::uint8_t> pe = {'M', 'Z'};
    pe.resize(0x40, 0xFF);
    EXPECT_FALSE(readPeResources(pe));
}

}  // namespace
}  // namespace mugwarp::test
