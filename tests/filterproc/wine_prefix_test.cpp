#include <gtest/gtest.h>

#include <fstream>

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
