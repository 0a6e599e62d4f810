#include "edit/recovery_writer.h"

#include <chrono>
#include <exception>

namespace mugwarp {

RecoveryWriter::RecoveryWriter(std::unique_ptr<RecoverySlot> slot) : slot_(std::move(slot)), thread_([this] { run(); }) {}

RecoveryWriter::~RecoveryWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void RecoveryWriter::write(RecoverySnapshot snapshot) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = Request{std::move(snapshot)};
    }
    wake_.notify_all();
}

void RecoveryWriter::remove() {
    {
        const std::lock_guard lock(mutex_);
        pending_ = Request{};
    }
    wake_.notify_all();
}

void RecoveryWriter::adopt(const std::filesystem::path& copy) {
    waitUntilIdle();
    const std::lock_guard lock(mutex_);
    slot_->adopt(copy);
}

void RecoveryWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

void RecoveryWriter::setOutcomeHandler(OutcomeHandler handler) {
    const std::lock_guard lock(mutex_);
    onOutcome_ = std::move(handler);
}

RecoveryWriter::Outcome RecoveryWriter::lastOutcome() const {
    const std::lock_guard lock(mutex_);
    return outcome_;
}

void RecoveryWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_) return;  // stopping with nothing left to do
        Request request = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        Outcome outcome;
        const bool writing = request.snapshot.has_value();
        const auto start = std::chrono::steady_clock::now();
        try {
            if (request.snapshot) {
                const std::vector<std::uint8_t> bytes = packRecovery(*request.snapshot);
                request.snapshot.reset();  // the pixels go before the file is written
                slot_->write(bytes);
                outcome.bytes = bytes.size();
            } else {
                slot_->remove();
            }
        } catch (const std::exception& e) {
            outcome.error = e.what();
        }
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        lock.lock();
        if (writing || !outcome.error.empty()) outcome_ = outcome;
        if (writing && onOutcome_) {
            const OutcomeHandler tell = onOutcome_;
            lock.unlock();
            tell(outcome);
            lock.lock();
        }
        busy_ = false;
        if (!pending_) idle_.notify_all();
    }
}

}  // namespace mugwarp
