#include "edit/recovery_folder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <mutex>
#include <vector>

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

// Each fault a real desktop meets: the handler hears of the failure with the
// system's reason, the last good copy survives, and the
// next write after the fault is mended is reported as working.
struct WriteFault {
    const char* name;
    const char* reason;                                    // strerror text expected in the message
    bool (*make)(const fs::path& folder, const fs::path& copy);  // false: cannot be staged here
    void (*mend)(const fs::path& folder, const fs::path& copy);
};

const WriteFault kWriteFaults[] = {
    {"a full file system", "No space left on device",
     [](const fs::path&, const fs::path& copy) {
         fs::create_symlink("/dev/full", copy.string() + ".tmp");
         return true;
     },
     [](const fs::path&, const fs::path& copy) { fs::remove(copy.string() + ".tmp"); }},
    {"a folder taken away", "No such file or directory",
     [](const fs::path& folder, const fs::path&) {
         fs::rename(folder, folder.string() + ".away");
         return true;
     },
     [](const fs::path& folder, const fs::path&) { fs::rename(folder.string() + ".away", folder); }},
    {"a folder without write permission", "Permission denied",
     [](const fs::path& folder, const fs::path&) {
         fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
         return ::geteuid() != 0;  // root writes anyway
     },
     [](const fs::path& folder, const fs::path&) { fs::permissions(folder, fs::perms::owner_all); }},
};

TEST(RecoveryWriter, FailedWritesAreToldWithTheReasonAndRecover) {
    for (const WriteFault& fault : kWriteFaults) {
        SCOPED_TRACE(fault.name);
        test::TempDir dir;
        const fs::path folder = dir.dir() / "recovery";
        RecoveryWriter writer(std::make_unique<RecoverySlot>(folder));
        std::mutex mutex;
        std::vector<RecoveryWriter::Outcome> told;
        writer.setOutcomeHandler([&](const RecoveryWriter::Outcome& outcome) {
            const std::lock_guard lock(mutex);
            told.push_back(outcome);
        });
        const auto writeNamed = [&](const std::string& name) {
            RecoverySnapshot s;
            s.picture = PixelSurface(16, 16);
            s.documentFileName = name;
            writer.write(std::move(s));
            writer.waitUntilIdle();
        };
        writeNamed("good");
        if (!fault.make(folder, writer.file())) {
            fault.mend(folder, writer.file());
            continue;
        }
        writeNamed("lost");
        fault.mend(folder, writer.file());
        const auto toldSoFar = [&] {
            const std::lock_guard lock(mutex);
            return told;
        };
        std::vector<RecoveryWriter::Outcome> seen = toldSoFar();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_TRUE(seen[0].error.empty());
        EXPECT_NE(seen[1].error.find(fault.reason), std::string::npos) << seen[1].error;
        EXPECT_NE(seen[1].error.find(folder.string()), std::string::npos) << seen[1].error;
        EXPECT_EQ(unpackRecovery(readRecoveryBytes(writer.file())).documentFileName, "good");
        EXPECT_FALSE(fs::exists(writer.file().string() + ".tmp"));
        writeNamed("again");
        seen = toldSoFar();
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_TRUE(seen[2].error.empty()) << seen[2].error;
        EXPECT_EQ(unpackRecovery(readRecoveryBytes(writer.file())).documentFileName, "again");
    }
}

}  // namespace
}  // namespace mugwarp
