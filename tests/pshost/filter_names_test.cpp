#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "filter_test_support.h"
#include "pshost/filter_names.h"
#include "support/temp_dir.h"

namespace mugwarp::test {
namespace {

namespace fs = std::filesystem;

// Test modules copied under the names given (relative to a fresh folder).
struct Folder {
    TempDir dir;
    PSPluginList list;
    Folder(std::initializer_list<std::pair<const char*, const char*>> copies) {
        for (const auto& [module, as] : copies) {
            fs::create_directories((dir.dir() / as).parent_path());
            fs::copy_file(testModule(module), dir.dir() / as);
        }
        list.scanDirectory(dir.dir().string(), true);
    }
    std::map<std::string, std::string> captionsByFile(const std::string& category, const std::string& name) const {
        const auto captions = filterCaptions(list);
        std::map<std::string, std::string> out;
        for (int i = 0; i < list.count(); ++i)
            if (list.item(i).getCategory() == category && list.item(i).getName() == name)
                out[fs::relative(list.item(i).fileName, dir.dir()).string()] = captions[i];
        return out;
    }
    std::string fileOf(const std::string& wanted) {
        const FilterPick pick = pickFilter(list, wanted);
        return pick.entry ? fs::relative(pick.entry->fileName, dir.dir()).string() : "";
    }
};

TEST(FilterNames, ModulesSharingANameReadApartByFileAndThenByPath) {
    Folder f({{"blur_pair.8bf", "a/x.8bf"}, {"blur_pair.8bf", "b/y.8bf"}, {"scripted.8bf", "one/s.8bf"},
              {"scripted.8bf", "two/s.8bf"}, {"artistic.8bf", "artistic.8bf"}});
    EXPECT_EQ(f.captionsByFile("Blur", "Zoom"),
              (std::map<std::string, std::string>{{"a/x.8bf", "Zoom (x.8bf)"}, {"b/y.8bf", "Zoom (y.8bf)"}}));
    const auto scripted = f.captionsByFile("Test", "Scripted");
    ASSERT_EQ(scripted.size(), 2u);
    EXPECT_EQ(scripted.at("one/s.8bf"), "Scripted (" + (f.dir.dir() / "one/s.8bf").string() + ")");
    EXPECT_EQ(f.captionsByFile("Artistic", "Sketch"), (std::map<std::string, std::string>{{"artistic.8bf", "Sketch"}}));
}

TEST(FilterNames, AFilterIsPickedByCaptionByFileOrByAnUnsharedName) {
    Folder f({{"blur_pair.8bf", "a/x.8bf"}, {"blur_pair.8bf", "b/y.8bf"}, {"artistic.8bf", "artistic.8bf"}});
    const std::string path = (f.dir.dir() / "b/y.8bf").string();
    const struct {
        std::string wanted, file;
    } cases[] = {
        {"Blur/Zoom (y.8bf)", "b/y.8bf"},
        {"Blur/Zoom@x.8bf", "a/x.8bf"},
        {"Blur/Zoom@" + path, "b/y.8bf"},
        {"Artistic/Sketch", "artistic.8bf"},
        {"Artistic/Sketch@artistic.8bf", "artistic.8bf"},
        {"Blur/Zoom", ""},          // shared: ambiguous
        {"Blur/Zoom@z.8bf", ""},    // no such file
        {"Blur/zoom (y.8bf)", ""},  // captions match exactly
        {"Blur/Zoom (y.8bf", ""},
        {"Zoom", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(f.fileOf(c.wanted), c.file) << c.wanted;
    const FilterPick shared = pickFilter(f.list, "Blur/Zoom");
    EXPECT_EQ(shared.candidates, (std::vector<std::string>{"Blur/Zoom (x.8bf)", "Blur/Zoom (y.8bf)"}));
    EXPECT_TRUE(pickFilter(f.list, "Blur/Nothing").candidates.empty());
}

// Our samples ship natively and for Windows: the native build keeps the bare
// name (so "CAT/NAME" still picks it), each Windows build says its bitness.
TEST(FilterNames, AWindowsBuildBesideANativeOneSaysItsBitness) {
    if (!fs::exists(testModule("windows.8bf"))) GTEST_SKIP() << "x86_64-w64-mingw32-gcc/windres missing";
    Folder f({{"windows.8bf", "w1.8bf"}, {"windows.8bf", "w2.8bf"}});
    EXPECT_EQ(f.captionsByFile("Distort", "Windows Wave"),
              (std::map<std::string, std::string>{{"w1.8bf", "Windows Wave (Windows, w1.8bf)"},
                                                  {"w2.8bf", "Windows Wave (Windows, w2.8bf)"}}));
    EXPECT_EQ(f.fileOf("Distort/Windows Wave (Windows, w2.8bf)"), "w2.8bf");
    if (!fs::is_directory(MUGWARP_SAMPLE_FILTERS "/windows")) return;
    PSPluginList samples;
    samples.scanDirectory(MUGWARP_SAMPLE_FILTERS, true);
    const auto captions = filterCaptions(samples);
    std::map<ModuleKind, std::string> invert;
    for (int i = 0; i < samples.count(); ++i)
        if (samples.item(i).getName() == "Invert") invert[samples.item(i).moduleKind] = captions[i];
    EXPECT_EQ(invert[ModuleKind::Native], "Invert");
    EXPECT_EQ(invert[ModuleKind::Windows64], "Invert (Windows)");
    EXPECT_EQ(pickFilter(samples, "Mugwarp Adjust/Invert").entry->moduleKind, ModuleKind::Native);
    EXPECT_EQ(pickFilter(samples, "Mugwarp Adjust/Invert (Windows)").entry->moduleKind, ModuleKind::Windows64);
}

}  // namespace
}  // namespace mugwarp::test
