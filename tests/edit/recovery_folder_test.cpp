#include "edit/recovery_folder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "edit/recovery_writer.h"
#include "raster/error.h"
#include "support/picture_checks.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& p, const std::string& text = "x") { std::ofstream(p) << text; }

TEST(RecoveryFolder, ACopyIsOfferedOnlyOnceItsEditorHasEnded) {
    test::TempDir dir;
    const fs::path folder = dir.dir() / "state" / "mugwarp" / "recovery";
    EXPECT_TRUE(findOrphanedRecoveries(folder).empty());  // no folder yet
    fs::path file;
    {
        RecoverySlot slot(folder);
        RecoverySlot other(folder);  // one per window: two names
        EXPECT_NE(slot.file(), other.file());
        const std::vector<std::uint8_t> bytes{1, 2, 3};
        slot.write(bytes);
        file = slot.file();
        EXPECT_TRUE(findOrphanedRecoveries(folder).empty());  // its window still holds the lock
        EXPECT_EQ(readRecoveryBytes(file), bytes);
    }
    const std::vector<OrphanedRecovery> orphans = findOrphanedRecoveries(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(orphans[0].file, file);
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);

    // A process killed outright lets its lock go as well.
    const pid_t child = fork();
    if (child == 0) {
        RecoverySlot slot(folder);
        slot.write(std::vector<std::uint8_t>{9});
        touch(folder / "half.mwrecovery.tmp");
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(findOrphanedRecoveries(folder).size(), 2u);
    EXPECT_FALSE(fs::exists(folder / "half.mwrecovery.tmp"));  // a half-written copy is swept away

    const fs::path aside = setAsideDamagedRecovery(orphans[0]);
    EXPECT_TRUE(fs::exists(aside));
    EXPECT_EQ(findOrphanedRecoveries(folder).size(), 1u);
    discardRecovery(findOrphanedRecoveries(folder)[0]);
    EXPECT_TRUE(findOrphanedRecoveries(folder).empty());
}

TEST(RecoveryFolder, AFolderThatCannotBeMadeIsAnError) {
    test::TempDir dir;
    touch(dir.dir() / "file");
    EXPECT_THROW(RecoverySlot(dir.dir() / "file" / "recovery"), Error);
}

TEST(RecoveryWriter, TheNewestRequestWinsAndRemovalTakesTheCopyAway) {
    test::TempDir dir;
    RecoveryWriter writer(std::make_unique<RecoverySlot>(dir.dir()));
    for (int i = 1; i <= 3; ++i) {
        RecoverySnapshot s;
        s.picture = PixelSurface(64, 8 * i);
        s.documentFileName = std::to_string(i);
        writer.write(std::move(s));
    }
    writer.waitUntilIdle();
    const RecoverySnapshot kept = unpackRecovery(readRecoveryBytes(writer.file()));
    EXPECT_EQ(kept.documentFileName, "3");
    EXPECT_GT(writer.lastOutcome().bytes, 0u);
    writer.write(RecoverySnapshot{});  // an empty picture cannot be kept: reported, the old copy stays
    writer.waitUntilIdle();
    EXPECT_FALSE(writer.lastOutcome().error.empty());
    EXPECT_EQ(unpackRecovery(readRecoveryBytes(writer.file())).documentFileName, "3");
    writer.remove();
    writer.waitUntilIdle();
    EXPECT_FALSE(fs::exists(writer.file()));
}

}  // namespace
}  // namespace mugwarp
