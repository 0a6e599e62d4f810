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

// Finding one filter reads modules only up to the one holding it and picks
// what the whole list would show first under that name, also where
// several modules (ours natively and for Windows) carry the same name.
TEST(Discovery, FindingOneFilterPicksTheModuleTheFullListShowsFirst) {
    TempDir dir;
    copyModule(testModule("blur_pair.8bf"), dir.dir() / "a" / "blur_pair.8bf");
    copyModule(testModule("artistic.8bf"), dir.dir() / "a" / "deeper" / "artistic.8bf");
    copyModule(testModule("blur_pair.8bf"), dir.dir() / "b" / "blur_again.8bf");
    copyModule(testModule("scripted.8bf"), dir.dir() / "z.8bf");
    std::vector<std::string> folders = {dir.dir().string()};
    if (fs::is_directory(MUGWARP_SAMPLE_FILTERS)) folders.push_back(MUGWARP_SAMPLE_FILTERS);
    for (const std::string& folder : folders) {
        PSPluginList full;
        full.scanDirectory(folder, true);
        ASSERT_GT(full.count(), 0) << folder;
        for (int i = 0; i < full.count(); ++i) {
            const PIPLManager& wanted = full.item(i);
            if (i > 0 && comparePlugins(full.item(i - 1), wanted) == comparePlugins(wanted, full.item(i - 1)))
                continue;  // the same name again: the first one is the one found
            PSPluginList one;
            const PIPLManager* found = one.findFilter(folder, true, wanted.getCategory(), wanted.getName());
            ASSERT_NE(found, nullptr) << wanted.getName();
            EXPECT_EQ(found->fileName, wanted.fileName) << wanted.getName();
            EXPECT_LE(one.count(), full.count());
        }
    }
    PSPluginList list;
    EXPECT_EQ(list.findFilter(dir.dir().string(), true, "Blur", "blur")->fileName, (dir.dir() / "a" / "blur_pair.8bf").string());
    EXPECT_EQ(list.count(), 4);  // z.8bf before the folders, then a/blur_pair.8bf: no further
    // Another filter goes on from there without listing anything twice; one
    // that no module holds reads them all.
    EXPECT_EQ(list.findFilter(dir.dir().string(), true, "Test", "Second")->getEntryPoint(), "SecondMain");
    EXPECT_EQ(list.findFilter(dir.dir().string(), true, "Artistic", "Sketch")->fileName,
              (dir.dir() / "a" / "deeper" / "artistic.8bf").string());
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.findFilter(dir.dir().string(), true, "Blur", "Nothing"), nullptr);
    EXPECT_EQ(listed(list), (std::vector<std::string>{"Artistic/Sketch", "Blur/Zoom", "Blur/Zoom", "Blur/blur",
                                                      "Blur/blur", "Test/Scripted", "Test/Second"}));
    EXPECT_EQ(list.findFilter(dir.dir().string(), false, "Artistic", "Sketch")->fileName,
              (dir.dir() / "a" / "deeper" / "artistic.8bf").string());  // already listed
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
