#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "edit/recovery_writer.h"

namespace mugwarp {

class Document;
class OverlayStack;

// Keeps a window's recovery copy while its document has unsaved changes: a
// write is due 30 s after the first change since the last one, or at once
// after 20 steps. The window only copies the picture, and only between
// gestures; packing and writing happen on the writer's thread. The copy goes
// as soon as the document is unchanged again (saved, undone back, discarded).
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 30000;
    static constexpr int kStepsPerWrite = 20;

    // busy tells whether a gesture is under way (the copy waits for its end).
    RecoveryKeeper(const Document& document, const OverlayStack& overlays, std::function<bool()> busy,
                   const std::filesystem::path& folder, QObject* parent = nullptr);
    ~RecoveryKeeper() override;

    // The document reached another state (a step, Undo, Redo, a save, a load).
    // Only bookkeeping: this is what a stroke's release waits for.
    void documentChanged();
    // Copies the document now and hands it to the writer.
    void writeNow();
    // The changes were let go or saved elsewhere: the copy goes.
    void discard();
    // Takes over a copy another editor left (the picture recovered from it).
    void adopt(const std::filesystem::path& copy);

    RecoveryWriter& writer() { return *writer_; }
    // The last write failed and no write has worked since.
    bool failing() const { return failing_; }
    // A write is waiting for its time (after a change, or a retry after a failure).
    bool writeDue() const { return due_.isActive(); }

signals:
    // A copy could not be written: said once for a run of failures, again
    // only after a write has worked. Failed writes are tried again at the next
    // interval while the changes are unsaved.
    void writeFailed(const QString& folder, const QString& reason);

private:
    void writeWhenIdle();
    void writeFinished(const RecoveryWriter::Outcome& outcome);

    const Document& document_;
    const OverlayStack& overlays_;
    std::function<bool()> busy_;
    std::unique_ptr<RecoveryWriter> writer_;
    QTimer due_;
    std::uint64_t lastState_ = 0;
    int stepsSinceWrite_ = 0;
    bool copyKept_ = false;
    bool failing_ = false;
};

}  // namespace mugwarp
