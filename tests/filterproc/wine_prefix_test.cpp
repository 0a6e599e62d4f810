#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "filterproc/wine_prefix.h"
#include "support/temp_dir.h"

using namespace mugwarp;

// Only a 64-bit prefix whose 32-bit system folder is missing or empty is
// mended: the mending takes a quarter of a minute.
TEST(WinePrefix, OnlyA64BitPrefixWithoutIts32BitSystemFilesIsRepaired) {
    const struct {
        const char* name;
        const char* arch;  // the line in system.reg; none: no registry (yet)
        bool wow64Folder;
        bool wow64Files;
        bool repair;
    } cases[] = {
        {"no prefix yet", nullptr, false, false, false},
        {"64-bit, complete", "#arch=win64", true, true, false},
        {"64-bit, empty syswow64", "#arch=win64", true, false, true},
        {"64-bit, no syswow64", "#arch=win64", false, false, true},
        {"32-bit prefix", "#arch=win32", false, false, false},
        {"registry not written yet, empty syswow64", nullptr, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir prefix;
        std::filesystem::create_directories(prefix.dir() / "drive_c/windows/system32");
        if (c.arch) std::ofstream(prefix.path("system.reg")) << "WINE REGISTRY Version 2\n\n" << c.arch << "\n";
        if (c.wow64Folder) std::filesystem::create_directories(prefix.dir() / "drive_c/windows/syswow64");
        if (c.wow64Files) std::ofstream(prefix.path("drive_c/windows/syswow64/kernel32.dll")) << "MZ";
        EXPECT_EQ(filterproc::needsWow64Repair(prefix.dir().string()), c.repair);
    }
}

// A first start of Wine in a new prefix that ends at once is tried once more;
// one that fails again is reported with how it ended. The stand-in for Wine
// fails as many times as asked, counting its starts beside itself.
TEST(WinePrefix, AFailedFirstStartIsTriedOnceMore) {
    for (const int failures : {1, 2}) {
        SCOPED_TRACE(failures);
        const test::TempDir dir;
        const std::string wine = dir.path("wine64");
        std::ofstream(wine) << "#!/bin/sh\necho x >> \"$0.starts\"\n"
                            << "[ $(wc -l < \"$0.starts\") -gt " << failures << " ] || exit 53\n";
        std::filesystem::permissions(wine, std::filesystem::perms::owner_all);
        filterproc::RunnerCommand like;
        like.program = wine;
        const std::string prefix = dir.path("prefix");
        const std::string failed = filterproc::readyPrefix(prefix, wine, like, false);
        std::ifstream starts(wine + ".starts");
        const auto count = std::count(std::istreambuf_iterator<char>(starts), {}, '\n');
        EXPECT_EQ(count, 2);
        if (failures == 1) {
            EXPECT_EQ(failed, "");
            EXPECT_TRUE(std::filesystem::exists(prefix + "/.mugwarp-prefix-ready"));
        } else {
            EXPECT_EQ(failed, "making the Wine prefix " + prefix + " failed (exit code 53)");
        }
    }
}
