#pragma once
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "edit/recovery_file.h"
#include "edit/recovery_folder.h"

namespace mugwarp {

// Packs and writes a window's recovery copies on a thread of its own, so
// that the window only pays for copying the picture. Only the newest request
// counts: a snapshot waiting to be written is replaced by a newer one, and a
// removal drops it.
class RecoveryWriter {
public:
    explicit RecoveryWriter(std::unique_ptr<RecoverySlot> slot);
    // Finishes the request under way, then stops.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void write(RecoverySnapshot snapshot);
    void remove();
    // Takes another editor's copy over (on the caller's thread, after the
    // requests before it).
    void adopt(const std::filesystem::path& copy);
    // Blocks until nothing is waiting or being written (tests and benchmarks).
    void waitUntilIdle();

    struct Outcome {
        std::size_t bytes = 0;  // size of the last copy written
        double seconds = 0;     // packing and writing it
        std::string error;      // the last write's failure, empty when it worked
    };
    Outcome lastOutcome() const;
    // Told of every copy written or failed (not of removals), on the writer's
    // own thread: a full disk must not pass unnoticed.
    using OutcomeHandler = std::function<void(const Outcome&)>;
    void setOutcomeHandler(OutcomeHandler handler);
    const std::filesystem::path& file() const { return slot_->file(); }

private:
    struct Request {
        std::optional<RecoverySnapshot> snapshot;  // none: remove the copy
    };
    void run();

    std::unique_ptr<RecoverySlot> slot_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Request> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    Outcome outcome_;
    OutcomeHandler onOutcome_;
    std::thread thread_;
};

}  // namespace mugwarp
