#include "app/recovery_keeper.h"

#include <chrono>

#include "document/document.h"
#include "edit/overlay_stack.h"

namespace mugwarp {

namespace {
constexpr int kRetryWhileBusyMs = 250;
}

RecoveryKeeper::RecoveryKeeper(const Document& document, const OverlayStack& overlays, std::function<bool()> busy,
                               const std::filesystem::path& folder, QObject* parent)
    : QObject(parent),
      document_(document),
      overlays_(overlays),
      busy_(std::move(busy)),
      writer_(std::make_unique<RecoveryWriter>(std::make_unique<RecoverySlot>(folder))) {
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] { writeWhenIdle(); });
    // Outcomes arrive on the writer's thread; the window hears of them on its own.
    writer_->setOutcomeHandler([this](const RecoveryWriter::Outcome& outcome) {
        QMetaObject::invokeMethod(this, [this, outcome] { writeFinished(outcome); }, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::writeFinished(const RecoveryWriter::Outcome& outcome) {
    if (outcome.error.empty()) {
        failing_ = false;
        return;
    }
    if (document_.pictureLoaded() && document_.isModified() && !due_.isActive()) due_.start(kIntervalMs);
    if (failing_) return;
    failing_ = true;
    emit writeFailed(QString::fromStdString(writer_->file().parent_path().string()),
                     QString::fromStdString(outcome.error));
}

RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::documentChanged() {
    if (!document_.pictureLoaded() || !document_.isModified()) {
        due_.stop();
        stepsSinceWrite_ = 0;
        if (copyKept_) discard();
        return;
    }
    const std::uint64_t state = document_.stateId();
    if (state != lastState_) {
        lastState_ = state;
        ++stepsSinceWrite_;
    }
    if (stepsSinceWrite_ >= kStepsPerWrite) {
        due_.start(0);
    } else if (!due_.isActive()) {
        due_.start(kIntervalMs);
    }
}

void RecoveryKeeper::writeWhenIdle() {
    if (busy_ && busy_()) {
        due_.start(kRetryWhileBusyMs);
        return;
    }
    writeNow();
}

void RecoveryKeeper::writeNow() {
    due_.stop();
    if (!document_.pictureLoaded() || !document_.isModified()) return;
    RecoverySnapshot snapshot;
    snapshot.picture = document_.display();
    snapshot.freezeMask = document_.freezeMask();
    for (std::size_t i = 0; i < overlays_.size(); ++i) snapshot.overlays.push_back(overlays_.at(i));
    snapshot.documentFileName = document_.documentFileName();
    snapshot.pictureFileName = document_.pictureFileName();
    snapshot.keyColor = document_.keyColor();
    snapshot.outerColor = document_.outerColor();
    snapshot.savedAt = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    writer_->write(std::move(snapshot));
    stepsSinceWrite_ = 0;
    copyKept_ = true;
}

void RecoveryKeeper::discard() {
    due_.stop();
    stepsSinceWrite_ = 0;
    copyKept_ = false;
    writer_->remove();
}

void RecoveryKeeper::adopt(const std::filesystem::path& copy) {
    writer_->adopt(copy);
    copyKept_ = true;
}

}  // namespace mugwarp
