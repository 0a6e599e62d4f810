#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace mugwarp {

// $XDG_STATE_HOME/mugwarp/recovery, or ~/.local/state/mugwarp/recovery.
std::filesystem::path defaultRecoveryFolder();

// One window's place in the recovery folder: "<pid>-<n>.mwrecovery" with a
// lock file beside it that the window holds (flock) for as long as it is
// open. The kernel lets the lock go when the process ends in any way, so a
// copy whose lock can be taken belongs to an editor no longer running, even
// should its process id have been given to another program since.
class RecoverySlot {
public:
    // Creates the folder (owner only) and takes a name no one uses.
    // Throws Error when the folder cannot be made or locked.
    explicit RecoverySlot(std::filesystem::path folder);
    // Lets the lock go and removes the lock file (the copy stays unless removed).
    ~RecoverySlot();
    RecoverySlot(const RecoverySlot&) = delete;
    RecoverySlot& operator=(const RecoverySlot&) = delete;

    // Replaces the copy all at once: a crash mid-write leaves the old one.
    void write(std::span<const std::uint8_t> bytes) const;
    void remove() const;
    // Takes another editor's copy over as this window's own.
    void adopt(const std::filesystem::path& copy) const;
    const std::filesystem::path& file() const { return file_; }
    bool exists() const;

private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
    std::filesystem::path lock_;
    int lockFd_ = -1;
};

// A copy left by an editor that is no longer running.
struct OrphanedRecovery {
    std::filesystem::path file;
    std::filesystem::path lock;
    std::int64_t modified = 0;  // seconds since 1970
};

// The orphaned copies in folder, newest first; nothing when the folder does
// not exist. Half-written copies of ended editors are removed on the way.
std::vector<OrphanedRecovery> findOrphanedRecoveries(const std::filesystem::path& folder);
// Removes the copy and its lock file.
void discardRecovery(const OrphanedRecovery& orphan);
// Renames a copy that cannot be read to "<name>.damaged" (kept for a look,
// never offered again) and returns the new name.
std::filesystem::path setAsideDamagedRecovery(const OrphanedRecovery& orphan);
// The whole file (recovery copies are read in one go).
std::vector<std::uint8_t> readRecoveryBytes(const std::filesystem::path& file);

}  // namespace mugwarp
